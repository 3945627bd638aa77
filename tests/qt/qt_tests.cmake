# The Qt dialogs taking a drop, offscreen, with the fake sound and the real files.
add_executable(drop_tests qt/drop_test.cpp)
target_link_libraries(drop_tests PRIVATE composer_core qt_backend fake_audio files_backend GTest::gtest_main)
add_test(NAME drop_tests COMMAND drop_tests)
set_tests_properties(drop_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
