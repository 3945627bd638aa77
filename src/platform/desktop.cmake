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
target_compile_definitions(brivola-composer PRIVATE BRIVOLA_VERSION="${PROJECT_VERSION}")
target_link_libraries(brivola-composer PRIVATE composer_core qt_backend openal_backend files_backend)

# Installed as a desktop application: the program, its menu entry and its icon in the
# hicolor theme. The entry names the program by its installed path, so it starts from
# whichever prefix `cmake --install` was given, and it takes the file it is opened with.
include(GNUInstallDirs)
install(TARGETS brivola-composer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES src/resources/composer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME brivola-composer.svg)
# The Synth file type (".syn"), which the menu entry opens, with its icon; and the
# AppStream metadata through which software centres list the program.
install(FILES src/resources/brivola-composer-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME brivola-composer.xml)
install(FILES src/resources/synth-file.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes
        RENAME application-x-brivola-synth.svg)
install(FILES src/resources/org.brivola.composer.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(CODE "
  set(COMPOSER_PATH \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/brivola-composer\")
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/brivola-composer.desktop\")
  message(STATUS \"Installing: \${entry}\")
  # rw-r--r-- whatever the source's mode, which a source archive may leave group-writable.
  configure_file(\"${PROJECT_SOURCE_DIR}/src/resources/brivola-composer.desktop.in\" \"\${entry}\"
                 @ONLY NO_SOURCE_PERMISSIONS)
")

include(cmake/manual_pages.cmake)
add_manual_page(brivola-composer "compose a Synth file from samples for the NES sound channels")
