# The desktop backends against their real libraries: Qt on its offscreen platform, and
# OpenAL Soft writing what it plays to a file.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(qt_tests backends/qt_test.cpp)
target_link_libraries(qt_tests PRIVATE composer_core qt_backend fake_audio files_backend Qt6::Test GTest::gtest)
add_test(NAME qt_tests COMMAND qt_tests)
set_tests_properties(qt_tests PROPERTIES TIMEOUT 60)

add_executable(audio_tests backends/openal_test.cpp)
target_link_libraries(audio_tests PRIVATE composer_core openal_backend fake_ui files_backend)
add_test(NAME audio_tests COMMAND audio_tests)
set_tests_properties(audio_tests PROPERTIES TIMEOUT 60)
