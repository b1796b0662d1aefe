# What a screen reader hears over the Linux accessibility bus: real windows of the widget
# library under a virtual X server and a session bus of their own, read with pyatspi.
add_executable(zd-atspi-windows ${CMAKE_CURRENT_LIST_DIR}/host/atspi_windows.cpp)
target_link_libraries(zd-atspi-windows PRIVATE zd_test_common zd_ui)
target_compile_definitions(zd-atspi-windows PRIVATE ZD_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(zd-atspi-windows runtime_tree)

# Debian's python3, where python3-pyatspi puts its module (another python3 may come first on PATH).
find_program(ZD_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(ZD_XVFB_RUN xvfb-run)
find_program(ZD_DBUS_RUN_SESSION dbus-run-session)
add_test(NAME atspi.ClosedListsAndTotalsAreReadWithTheirValues
         COMMAND ${ZD_XVFB_RUN} -a -s "-screen 0 1400x1000x24"
                 ${ZD_DBUS_RUN_SESSION} -- ${ZD_SYSTEM_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/read_over_atspi.py
                 $<TARGET_FILE:zd-atspi-windows>)
set_tests_properties(atspi.ClosedListsAndTotalsAreReadWithTheirValues PROPERTIES TIMEOUT 400)
