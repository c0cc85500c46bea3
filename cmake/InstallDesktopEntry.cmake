# Runs at install time (cmake --install), when CMAKE_INSTALL_PREFIX is the prefix being installed to:
# writes the menu entry naming the installed program by its full path, so that it also starts from a
# prefix outside PATH, and installs it through file(INSTALL) so that install_manifest.txt lists it.
# Expects BRINDLOW_APP_ID, BRINDLOW_BINDIR, BRINDLOW_DATADIR, BRINDLOW_DESKTOP_IN and BRINDLOW_STAGING.
set(program "${CMAKE_INSTALL_PREFIX}/${BRINDLOW_BINDIR}/brindlow")
if(program MATCHES "[\n\r]")
  message(FATAL_ERROR "the install prefix cannot be written to a desktop entry: ${CMAKE_INSTALL_PREFIX}")
endif()
# An Exec argument with a reserved character is quoted, with " ` $ \ escaped inside the quotes.
set(BRINDLOW_EXEC "${program}")
if(program MATCHES "[ \t\"'\\\\><~|&;$*?#()`]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" escaped "${program}")
  set(BRINDLOW_EXEC "\"${escaped}\"")
endif()
# Then the desktop-entry string level: a backslash is doubled and a percent sign is no field code.
string(REPLACE "\\" "\\\\" BRINDLOW_EXEC "${BRINDLOW_EXEC}")
string(REPLACE "%" "%%" BRINDLOW_EXEC "${BRINDLOW_EXEC}")
set(entry "${BRINDLOW_STAGING}/${BRINDLOW_APP_ID}.desktop")
configure_file("${BRINDLOW_DESKTOP_IN}" "${entry}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${BRINDLOW_DATADIR}/applications" TYPE FILE FILES "${entry}")
