# Runs at install time, so that the launcher names the prefix the install really
# uses: `cmake --install --prefix`, or CPack's packaging prefix under DESTDIR.
# Expects KB_LAUNCHER_IN, KB_WORK_DIR, KB_BINDIR, KB_PKGDATADIR, KB_PKGLIBEXECDIR.
foreach(var BINDIR PKGDATADIR PKGLIBEXECDIR)
  if(IS_ABSOLUTE "${KB_${var}}")
    set(kb_${var} "${KB_${var}}")
  else()
    set(kb_${var} "${CMAKE_INSTALL_PREFIX}/${KB_${var}}")
  endif()
endforeach()

# The paths end up inside a double-quoted shell word.
if("${kb_PKGDATADIR}${kb_PKGLIBEXECDIR}" MATCHES "[\"$`\\}]")
  message(FATAL_ERROR "The install paths hold a character the launcher cannot quote: ${kb_PKGDATADIR}")
endif()
set(KOTOBARU_DEFAULTS "${kb_PKGDATADIR}")
set(KOTOBARU_PROGRAM "${kb_PKGLIBEXECDIR}/kotobaru")
# One folder per destination keeps parallel installs from sharing a file.
string(MD5 kb_key "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}")
configure_file("${KB_LAUNCHER_IN}" "${KB_WORK_DIR}/${kb_key}/kotobaru" @ONLY)
file(INSTALL DESTINATION "${kb_BINDIR}" TYPE PROGRAM FILES "${KB_WORK_DIR}/${kb_key}/kotobaru")
