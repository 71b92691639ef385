# Runs at install time, once the prefix is known: writes the files that name
# the installed programs by their absolute location (the quick action, the
# file managers' entries, the desktop entry and the D-Bus service), so that
# none points at a build tree.
include(${CMAKE_CURRENT_LIST_DIR}/../resources/QuickActionFiles.cmake)

set(staged "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(workflow share/zurbo/FinderQuickAction.workflow)
message(STATUS "Writing: ${staged}/${workflow}")
zurbo_write_quick_action("${staged}/${workflow}"
                         "${CMAKE_INSTALL_PREFIX}/${workflow}/zurbo-quick-action")
# Dolphin and Nemo also read entries for everybody from the data folders of
# the system, so a package brings theirs and takes them away again.
foreach(entry kio/servicemenus/zurbo-quick-action.desktop
              nemo/actions/zurbo-quick-action.nemo_action)
    get_filename_component(name "${entry}" NAME)
    get_filename_component(folder "${staged}/share/${entry}" DIRECTORY)
    message(STATUS "Installing: ${staged}/share/${entry}")
    file(COPY "${staged}/${workflow}/${name}" DESTINATION "${folder}")
endforeach()

zurbo_desktop_exec_argument("${CMAKE_INSTALL_PREFIX}/bin/zurbo" ZURBO_DESKTOP_EXEC)
zurbo_shell_word("${CMAKE_INSTALL_PREFIX}/bin/zurbo" ZURBO_SHELL_WORD)
foreach(target applications/app.zurbo.Zurbo.desktop dbus-1/services/app.zurbo.Zurbo.service)
    get_filename_component(name "${target}" NAME)
    message(STATUS "Writing: ${staged}/share/${target}")
    zurbo_write_file("${CMAKE_CURRENT_LIST_DIR}/${name}.in" "${staged}/share/${target}" FALSE)
endforeach()
