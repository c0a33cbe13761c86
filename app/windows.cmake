# The Windows program.
# One program file: built as kwop.exe and copied as setup.exe, since the name
# it is started under chooses what it does. It finds kr_px_regex.dll beside it.
add_executable(quenby_program WIN32
  kwop_main.cpp
  main_window.cpp
  about_box.cpp
  kwop.rc
)
set_target_properties(quenby_program PROPERTIES
  OUTPUT_NAME kwop
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
target_link_libraries(quenby_program PRIVATE
  quenby_startup quenby_ui quenby_forms quenby_winservices quenby_page_files quenby_fs
  quenby_regex_binding quenby_value)

# Setup mode shows the installer's wizard (setup/: TSetupForm, instance
# SetupForm, in quenby_setup, defined after this folder).
target_link_libraries(quenby_program PRIVATE quenby_setup)

add_custom_command(TARGET quenby_program POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quenby_program> ${CMAKE_BINARY_DIR}/bin/setup.exe
  VERBATIM)

# The program driven from outside, under Wine and a display: start-up cases
# and the windows end to end. Both run the built kwop.exe, so they share one
# display lock, and the second one asks for screenshots of every window.
add_executable(kwop_gui_win_test
  gui_main_win_test.cpp
  startup_win_test.cpp
  main_window_win_test.cpp)
target_link_libraries(kwop_gui_win_test PRIVATE quenby_test_support_win32 gtest)
target_compile_definitions(kwop_gui_win_test PRIVATE
  QUENBY_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
  QUENBY_SCRATCH_DIR="${CMAKE_CURRENT_BINARY_DIR}/gui_scratch"
  QUENBY_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
add_dependencies(kwop_gui_win_test quenby_program quenby-toc kr_px_regex)
if(TARGET kr_px_regex_incomplete)
  add_dependencies(kwop_gui_win_test kr_px_regex_incomplete)
endif()
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/gui_scratch ${CMAKE_BINARY_DIR}/screenshots)

add_test(NAME startup_win_test
  COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:kwop_gui_win_test>
          --gtest_filter=CommandLine.*:Startup.*)
add_test(NAME main_window_win_test
  COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:kwop_gui_win_test> --gtest_filter=MainWindow.*)
set_tests_properties(startup_win_test main_window_win_test PROPERTIES
  TIMEOUT 600
  RESOURCE_LOCK quenby_display
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
