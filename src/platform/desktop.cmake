# The Linux desktop program: Qt 6 Widgets for the dialogs and choosers, OpenAL Soft for sound.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
find_package(PkgConfig REQUIRED)
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)

add_library(qt_backend STATIC
  src/platform/qt/qt_dialogs.cpp
  src/platform/qt/qt_choosers.cpp)
target_include_directories(qt_backend PUBLIC src)
# The windows are built from the dialog templates, which live in the core.
target_link_libraries(qt_backend PUBLIC Qt6::Widgets composer_core)

add_library(openal_backend STATIC src/platform/openal/openal_audio.cpp)
target_include_directories(openal_backend PUBLIC src)
target_link_libraries(openal_backend PUBLIC PkgConfig::OPENAL)

add_executable(brivola-composer src/platform/qt/main.cpp)
target_link_libraries(brivola-composer PRIVATE composer_core qt_backend openal_backend files_backend)
