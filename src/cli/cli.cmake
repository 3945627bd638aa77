# brivola-syn: the Synth file tools on the command line, with libsndfile and libsoxr
# for turning recordings into samples.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(SOXR REQUIRED IMPORTED_TARGET soxr)

add_executable(brivola-syn
  src/cli/main.cpp
  src/cli/synth_tool.cpp
  src/cli/bank_commands.cpp
  src/cli/render_command.cpp
  src/cli/convert_command.cpp)
target_compile_definitions(brivola-syn PRIVATE BRIVOLA_VERSION="${PROJECT_VERSION}")
target_link_libraries(brivola-syn PRIVATE synth_core files_backend PkgConfig::SNDFILE PkgConfig::SOXR)

include(GNUInstallDirs)
install(TARGETS brivola-syn RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
