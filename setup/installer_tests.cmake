# The installer's and the uninstaller's tests share one installation record
# in the registry, and the display with the other window tests, so none of
# them runs at the same time as another. Wine would turn every shortcut they
# save into a menu entry of the host's desktop through a helper it starts;
# Wine takes its settings from the host environment, so the helper is turned
# off there.
function(quenby_installer_test name)
  set_tests_properties(${name} PROPERTIES
    RESOURCE_LOCK "quenby_installation;quenby_display"
    ENVIRONMENT_MODIFICATION "WINEDLLOVERRIDES=string_append:\\;winemenubuilder.exe=d")
endfunction()
