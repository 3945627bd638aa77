# Real sound: OpenAL Soft's wave writer stands in for the sound card, so the tests hear
# exactly what a user would. The writer runs in real time; the whole run takes seconds.
add_library(wave_writer STATIC audio/wave_writer.cpp)
target_include_directories(wave_writer PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/audio)

add_executable(audio_tests
  audio/audio_main.cpp
  audio/wave_capture.cpp
  audio/openal_audio_test.cpp
  audio/preview_sound_test.cpp)
target_link_libraries(audio_tests PRIVATE
  composer_core openal_backend fake_dialogs fake_choosers files_backend wave_writer GTest::gtest)
add_test(NAME audio_tests COMMAND audio_tests)
set_tests_properties(audio_tests PROPERTIES TIMEOUT 120)
