# Writes the quick action's folder: the launcher and, for each file manager, the
# file that offers "Comprimir con ZURBO" for PDFs and runs the launcher. Those
# files are copied into the user's own folders, where "next to me" means nothing,
# so each names the launcher by its absolute location, quoted as its format
# requires. Runs at configure time for the build tree and at install time for
# the installed tree, whose location is known only then.

set(ZURBO_QUICK_ACTION_TEMPLATES ${CMAKE_CURRENT_LIST_DIR}/FinderQuickAction.workflow)

# One word for a POSIX shell, GLib's or D-Bus's command-line parser: single
# quotes, with each ' written as '\''.
function(zurbo_shell_word value out)
    string(REPLACE "'" "'\\''" value "${value}")
    set(${out} "'${value}'" PARENT_SCOPE)
endfunction()

# A key file's string value: its one escape character, the backslash, doubled.
function(zurbo_key_file_string value out)
    string(REPLACE "\\" "\\\\" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The value of a key-file Exec key whose %-codes are expanded: % as %%, then
# every backslash doubled, since the key file unescapes before the command is
# parsed.
function(zurbo_exec_key command out)
    string(REPLACE "%" "%%" command "${command}")
    zurbo_key_file_string("${command}" command)
    set(${out} "${command}" PARENT_SCOPE)
endfunction()

# One argument of a desktop entry's Exec key: double quotes, with a backslash
# before each of \ " ` $.
function(zurbo_desktop_exec_argument value out)
    foreach(reserved "\\" "\"" "`" "$")
        string(REPLACE "${reserved}" "\\${reserved}" value "${value}")
    endforeach()
    zurbo_exec_key("\"${value}\"" value)
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

# Writes `output` from `template` with the caller's @VARIABLES@, executable
# when `runs` is true and not otherwise.
macro(zurbo_write_file template output runs)
    file(READ "${template}" zurbo_content)
    file(CONFIGURE OUTPUT "${output}" CONTENT "${zurbo_content}" @ONLY)
    if(${runs})
        file(CHMOD "${output}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                   GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    else()
        file(CHMOD "${output}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()
endmacro()

function(zurbo_write_quick_action folder launcher)
    zurbo_shell_word("${launcher}" ZURBO_LAUNCHER_SHELL_WORD)
    zurbo_exec_key("${ZURBO_LAUNCHER_SHELL_WORD}" ZURBO_LAUNCHER_NEMO_EXEC)
    zurbo_desktop_exec_argument("${launcher}" ZURBO_LAUNCHER_DESKTOP_EXEC)
    # Where Dolphin and Nemo check that the launcher is still there.
    zurbo_key_file_string("${launcher}" ZURBO_LAUNCHER_KEY_STRING)
    # Template, file name in the folder, whether it must be executable (the
    # launcher and GNOME Files' script; the per-user copy of Dolphin's service
    # menu is made so when it is placed).
    set(files
        zurbo-quick-action.sh zurbo-quick-action TRUE
        nautilus-script.in "Comprimir con ZURBO" TRUE
        dolphin-service-menu.desktop.in zurbo-quick-action.desktop FALSE
        nemo-action.in zurbo-quick-action.nemo_action FALSE)
    file(MAKE_DIRECTORY "${folder}")
    while(files)
        list(POP_FRONT files template name runs)
        zurbo_write_file("${ZURBO_QUICK_ACTION_TEMPLATES}/${template}" "${folder}/${name}" runs)
    endwhile()
endfunction()
