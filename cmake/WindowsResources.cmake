# What Windows reads from a program file itself: its icon (Explorer, the
# taskbar, the Start menu) and its version information (the file's
# properties, the installer's checks). VeskEdit.exe is a GUI program, so no
# console window opens with it; vesk.exe stays a console one.

# The icon, made from the 256-pixel PNG at the sizes Explorer asks for; the
# installer uses the same script.
set (VESK_WINDOWS_ICON ${CMAKE_BINARY_DIR}/VeskEdit.ico)
add_custom_command (OUTPUT ${VESK_WINDOWS_ICON}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/windows-icon.sh ${VESK_WINDOWS_ICON}
    DEPENDS resources/icon-256.png scripts/windows-icon.sh
    VERBATIM)

# vesk_windows_resource (TARGET DESCRIPTION): the icon and the version
# information, compiled into TARGET.
function (vesk_windows_resource target description)
    set (VESK_RC_NAME ${target})
    set (VESK_RC_DESCRIPTION ${description})
    set (rc ${CMAKE_BINARY_DIR}/${target}.rc)
    configure_file (${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
    # windres reads the icon, which CMake's scan of the .rc does not see.
    set_source_files_properties (${rc} PROPERTIES OBJECT_DEPENDS ${VESK_WINDOWS_ICON})
    target_sources (${target} PRIVATE ${rc} ${VESK_WINDOWS_ICON})
endfunction()

vesk_windows_resource (VeskEdit "VeskEdit, editor and librarian for the Vesk groovebox")
vesk_windows_resource (vesk "vesk, command-line librarian for Vesk library and .syx files")
set_target_properties (VeskEdit PROPERTIES WIN32_EXECUTABLE ON)
