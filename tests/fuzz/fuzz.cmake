# The Synth file reader's fuzzer, built with clang; the seed corpus is corpus/.
add_executable(synth_file_fuzzer ${CMAKE_CURRENT_LIST_DIR}/synth_file_fuzzer.cpp)
target_link_options(synth_file_fuzzer PRIVATE -fsanitize=fuzzer)
target_link_libraries(synth_file_fuzzer PRIVATE synth_core files_backend)

# A bounded run: new inputs go to a scratch folder, so the seeds in the repository stay
# as they are. A crash, a sanitizer report or an input running longer than the timeout
# fails the test.
enable_testing()
add_test(NAME synth_file_fuzzer
  COMMAND bash -c [=[scratch=$(mktemp -d) && trap 'rm -rf "$scratch"' EXIT &&
                     "$0" -max_total_time=20 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
                          -artifact_prefix="$scratch/" "$scratch" "$1"]=]
          $<TARGET_FILE:synth_file_fuzzer> ${CMAKE_CURRENT_LIST_DIR}/corpus)
set_tests_properties(synth_file_fuzzer PROPERTIES TIMEOUT 300)
