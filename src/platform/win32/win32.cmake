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
target_link_libraries(win32_backend PUBLIC composer_core user32 gdi32 comdlg32 comctl32 dsound shell32
                                            ole32)

# The C runtime's files, as objects: whatever library calls the file seam finds them.
add_library(files_backend OBJECT src/platform/win32/win32_files.cpp)
target_include_directories(files_backend PUBLIC src)

add_executable(brivola-composer WIN32
  src/platform/win32/win_main.cpp
  src/resources/composer.rc)
# windres looks for the icon and the manifest on the include path.
target_include_directories(brivola-composer PRIVATE src/resources)
set_source_files_properties(src/resources/composer.rc PROPERTIES OBJECT_DEPENDS
  "${PROJECT_SOURCE_DIR}/src/resources/composer.ico;${PROJECT_SOURCE_DIR}/src/resources/composer.manifest")
target_link_libraries(brivola-composer PRIVATE composer_core win32_backend files_backend)
set_target_properties(brivola-composer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})


# The benchmark of a preview's read under Wine, built by ./dev bench alone.
add_executable(brivola-windows-bench EXCLUDE_FROM_ALL bench/windows_preview_bench.cpp)
target_link_libraries(brivola-windows-bench PRIVATE synth_core files_backend)
set_target_properties(brivola-windows-bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

# The sound libraries' DLLs beside the program, in the build as in the zip, so that it
# starts from either; a user may replace them, as their licence allows.
# libvorbisfile comes with libvorbis, but nothing imports it.
file(GLOB sound_library_dlls ${BRIVOLA_SOUND_LIBRARIES}/bin/*.dll)
list(FILTER sound_library_dlls EXCLUDE REGEX "libvorbisfile")
add_custom_command(TARGET brivola-composer POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${sound_library_dlls} ${PROJECT_BINARY_DIR})
