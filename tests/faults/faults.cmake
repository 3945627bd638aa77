# The file fault matrix: brivola-syn and its build over the file fake, each run meeting
# one fault, then every file checked.
add_executable(faulty_synth_tool faults/faulty_synth_tool.cpp)
target_link_libraries(faulty_synth_tool PRIVATE synth_tool synth_core fake_files)
add_test(NAME fault_matrix COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/faults/fault_matrix.sh
                                   $<TARGET_FILE:brivola-syn> $<TARGET_FILE:faulty_synth_tool>)
add_dependencies(faulty_synth_tool brivola-syn)
