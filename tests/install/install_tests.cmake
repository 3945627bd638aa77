# `cmake --install` into a fresh prefix, and the installed composer started on Xvfb.
add_test(NAME install_into_prefix
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run_under_xvfb.sh
          ${CMAKE_CURRENT_SOURCE_DIR}/install/install_test.sh ${PROJECT_BINARY_DIR})
set_tests_properties(install_into_prefix PROPERTIES TIMEOUT 120)
