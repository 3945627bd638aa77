# The fuzzer of the Synth file reader and of the row sample readers, built with clang;
# the seed corpus is corpus/, Synth files and small sound files.
add_executable(synth_file_fuzzer ${CMAKE_CURRENT_LIST_DIR}/synth_file_fuzzer.cpp)
target_link_options(synth_file_fuzzer PRIVATE -fsanitize=fuzzer)
target_link_libraries(synth_file_fuzzer PRIVATE synth_core files_backend)

# A bounded run from the seeds and the largest Synth file (seven full blocks), with inputs
# up to a byte longer than it; value profiles reward lengths that come closer to the block
# limit. New inputs go to a scratch folder, so the seeds in the repository stay as they
# are; the files read as a row's samples are written in a second one. A crash, a sanitizer
# report or an input running longer than the timeout fails the test.
add_test(NAME synth_file_fuzzer
  COMMAND bash -c [=[scratch=$(mktemp -d) && work=$(mktemp -d) &&
                     trap 'rm -rf "$scratch" "$work"' EXIT && python3 "$2" body "$scratch/largest.syn" 0 524288 524288 524288 524288 524288 524288 524288 &&
                     cd "$work" &&
                     LSAN_OPTIONS=suppressions="$3" "$0" -max_len=3670049 -use_value_profile=1 -max_total_time=20 -timeout=10 -rss_limit_mb=2048 \
                          -print_final_stats=1 -artifact_prefix="$scratch/" "$scratch" "$1"]=]
          $<TARGET_FILE:synth_file_fuzzer> ${CMAKE_CURRENT_LIST_DIR}/corpus
          ${CMAKE_CURRENT_LIST_DIR}/../test_tools.py
          ${CMAKE_CURRENT_LIST_DIR}/leak_suppressions.txt)
set_tests_properties(synth_file_fuzzer PROPERTIES TIMEOUT 300)
