# The real program on a fresh Xvfb display, driven with xdotool as a user would drive it.
add_test(NAME e2e_scenario COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run_under_xvfb.sh
                                   ${CMAKE_CURRENT_SOURCE_DIR}/e2e/scenario.sh $<TARGET_FILE:brivola-composer>)
set_tests_properties(e2e_scenario PROPERTIES TIMEOUT 180)

# Without any display the program says in one line how to get one, and exits with 1.
add_test(NAME no_display_message COMMAND bash -c [=[
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$0" 2>&1; echo "exit $?"); echo "$out"
  [ "$out" = $'brivola-composer: no display; run it from a desktop session or under xvfb-run\nexit 1' ]]=]
  $<TARGET_FILE:brivola-composer>)

# What a screen reader gets over AT-SPI, on its own session bus, and what it can do with it.
add_test(NAME e2e_accessibility COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run_under_xvfb.sh
  dbus-run-session -- ${CMAKE_CURRENT_SOURCE_DIR}/e2e/accessibility.py $<TARGET_FILE:brivola-composer>)
set_tests_properties(e2e_accessibility PROPERTIES TIMEOUT 120)
