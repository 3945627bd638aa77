# The sound backend against the real library: OpenAL Soft writing what it plays to a file.
add_executable(audio_tests audio/openal_test.cpp)
target_link_libraries(audio_tests PRIVATE composer_core openal_backend fake_ui files_backend)
add_test(NAME audio_tests COMMAND audio_tests)
set_tests_properties(audio_tests PROPERTIES TIMEOUT 60)
