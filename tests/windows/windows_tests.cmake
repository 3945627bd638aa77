# Console programs that check the Windows backends as Windows (Wine) runs them;
# run_windows_tests.sh runs the 64-bit ones under wine64.
add_library(windows_check_support STATIC tests/windows/check_support.cpp)
target_include_directories(windows_check_support PUBLIC ${PROJECT_SOURCE_DIR})

foreach(check dialog_template_check chooser_check audio_check files_check)
  add_executable(${check} tests/windows/${check}.cpp)
  target_link_libraries(${check} PRIVATE composer_core win32_backend windows_check_support)
endforeach()
