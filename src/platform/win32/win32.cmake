# The native Windows program: USER32 dialogs, comdlg32 choosers, DirectSound and the
# C runtime's files behind the platform seam.
enable_language(RC)

# A static runtime: the program needs no DLL beyond those Windows ships.
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(win32_backend STATIC
  src/platform/win32/dialog_template_builder.cpp
  src/platform/win32/win32_dialogs.cpp
  src/platform/win32/win32_choosers.cpp
  src/platform/win32/win32_audio.cpp)
target_include_directories(win32_backend PUBLIC src)
# The dialogs read the templates that composer_core defines, while composer_core calls
# the backend: linked as composer_core, win32_backend, composer_core.
target_link_libraries(win32_backend PUBLIC composer_core user32 comdlg32 comctl32 dsound)

# The C runtime's files, as objects: whatever library calls the file seam finds them.
add_library(files_backend OBJECT src/platform/win32/win32_files.cpp)
target_include_directories(files_backend PUBLIC src)

add_executable(brivola-composer WIN32
  src/platform/win32/win_main.cpp
  src/resources/composer.rc)
# windres looks for the icon file on the include path.
target_include_directories(brivola-composer PRIVATE src/resources)
target_link_libraries(brivola-composer PRIVATE composer_core win32_backend files_backend)
set_target_properties(brivola-composer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

