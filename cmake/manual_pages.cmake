# The programs' manual pages, written by help2man from the programs' own --help and
# --version (src/resources/write_manual_page.py), so that they say what the programs say;
# installed compressed into man1.
include_guard(GLOBAL)
include(GNUInstallDirs)
find_program(PYTHON3_PROGRAM python3 REQUIRED)
find_program(HELP2MAN_PROGRAM help2man REQUIRED)

# add_manual_page(PROGRAM SUMMARY): PROGRAM's page, named by SUMMARY, with the sections of
# src/resources/PROGRAM.h2m added. It is written each time PROGRAM is linked, so that any
# build of the program, and `cmake --install` after it, has its page; a change to the
# writer or to the added sections links the program again.
function(add_manual_page program summary)
  set(writer ${PROJECT_SOURCE_DIR}/src/resources/write_manual_page.py)
  set(extra ${PROJECT_SOURCE_DIR}/src/resources/${program}.h2m)
  set(page ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
  set_property(TARGET ${program} APPEND PROPERTY LINK_DEPENDS ${writer} ${extra})
  add_custom_command(
    TARGET ${program} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${PYTHON3_PROGRAM} ${writer} $<TARGET_FILE:${program}> ${summary} ${extra} ${page}
    COMMENT "Writing the manual page of ${program}"
    VERBATIM)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
