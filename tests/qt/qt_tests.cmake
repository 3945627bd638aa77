# The Qt dialogs and chooser, on Qt's offscreen platform, driven with real input events.
find_package(Qt6 REQUIRED COMPONENTS Test)

add_executable(qt_tests
  qt/qt_main.cpp
  qt/qt_test_support.cpp
  qt/dialog_layout_test.cpp
  qt/dialog_input_test.cpp
  qt/composer_windows_test.cpp
  qt/chooser_test.cpp)
target_link_libraries(qt_tests PRIVATE
  composer_core qt_backend fake_audio files_backend Qt6::Test GTest::gtest)
add_test(NAME qt_tests COMMAND qt_tests)
set_tests_properties(qt_tests PROPERTIES TIMEOUT 120)
