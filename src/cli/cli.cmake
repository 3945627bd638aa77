# brivola-syn: the Synth file tools on the command line; libsndfile writes what convert
# makes of recordings.

# The commands over the file seam, for the program and for a build over the test fakes.
add_library(synth_tool STATIC
  src/cli/synth_tool.cpp
  src/cli/bank_commands.cpp
  src/cli/render_command.cpp
  src/cli/convert_command.cpp)
target_compile_definitions(synth_tool PRIVATE BRIVOLA_VERSION="${PROJECT_VERSION}")
target_link_libraries(synth_tool PUBLIC synth_core posix_files PkgConfig::SNDFILE)

add_executable(brivola-syn src/cli/main.cpp)
target_link_libraries(brivola-syn PRIVATE synth_tool synth_core files_backend)

include(GNUInstallDirs)
install(TARGETS brivola-syn RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
include(cmake/manual_pages.cmake)
add_manual_page(brivola-syn "the Synth file tools of Brivola Synthesis Composer")
