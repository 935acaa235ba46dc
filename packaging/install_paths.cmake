# Runs at install time, so that the launcher, the menu entry and the manual
# pages name the prefix the install really uses: `cmake --install --prefix`,
# or CPack's packaging prefix under DESTDIR.
# Expects KB_LAUNCHER_IN, KB_DESKTOP_IN, KB_APP_ID, KB_MAN_PAGES (source;language
# pairs, "-" for the untranslated page), KB_WORK_DIR, KB_GZIP, KB_VERSION,
# KB_MAINTAINER and the folders KB_GAMESDIR, KB_PKGDATADIR, KB_PKGLIBEXECDIR,
# KB_MANDIR, KB_DOCDIR, KB_APPLICATIONSDIR.
foreach(var GAMESDIR PKGDATADIR PKGLIBEXECDIR MANDIR DOCDIR APPLICATIONSDIR)
  if(IS_ABSOLUTE "${KB_${var}}")
    set(kb_${var} "${KB_${var}}")
  else()
    set(kb_${var} "${CMAKE_INSTALL_PREFIX}/${KB_${var}}")
  endif()
endforeach()

# The paths end up inside a double-quoted shell word and a desktop entry's Exec.
if("${kb_PKGDATADIR}${kb_PKGLIBEXECDIR}${kb_GAMESDIR}" MATCHES "[\"$`\\}%]")
  message(FATAL_ERROR "The install paths hold a character the launcher cannot quote: ${kb_PKGDATADIR}")
endif()
# One folder per destination keeps parallel installs from sharing a file.
string(MD5 kb_key "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}")
set(kb_work "${KB_WORK_DIR}/${kb_key}")

set(KOTOBARU_DEFAULTS "${kb_PKGDATADIR}")
set(KOTOBARU_PROGRAM "${kb_PKGLIBEXECDIR}/kotobaru")
configure_file("${KB_LAUNCHER_IN}" "${kb_work}/kotobaru" @ONLY)
file(INSTALL DESTINATION "${kb_GAMESDIR}" TYPE PROGRAM FILES "${kb_work}/kotobaru")

# The menu starts the launcher by its full path: a desktop session's PATH may
# lack the games folder even where a terminal's has it.
set(KOTOBARU_APP_ID "${KB_APP_ID}")
set(KOTOBARU_COMMAND "${kb_GAMESDIR}/kotobaru")
if(KOTOBARU_COMMAND MATCHES "[ \t]")
  set(KOTOBARU_COMMAND "\"${KOTOBARU_COMMAND}\"")
endif()
configure_file("${KB_DESKTOP_IN}" "${kb_work}/${KB_APP_ID}.desktop" @ONLY)
file(INSTALL DESTINATION "${kb_APPLICATIONSDIR}" TYPE FILE FILES "${kb_work}/${KB_APP_ID}.desktop")

# In roff a plain "-" may print as a hyphen, which a copied path must not hold.
set(PROJECT_VERSION "${KB_VERSION}")
set(KOTOBARU_MAINTAINER "${KB_MAINTAINER}")
foreach(var DATADIR=kb_PKGDATADIR PROGRAM=KOTOBARU_PROGRAM DOCDIR=kb_DOCDIR)
  string(REPLACE "=" ";" pair "${var}")
  list(GET pair 0 name)
  list(GET pair 1 value)
  string(REPLACE "-" "\\-" KB_${name} "${${value}}")
endforeach()
while(KB_MAN_PAGES)
  list(POP_FRONT KB_MAN_PAGES source language)
  set(dir "${kb_MANDIR}/man6")
  if(NOT language STREQUAL "-")
    set(dir "${kb_MANDIR}/${language}/man6")
  endif()
  set(page "${kb_work}/${language}/kotobaru.6")
  configure_file("${source}" "${page}" @ONLY)
  # Debian wants manual pages at maximum compression, without name or time.
  execute_process(COMMAND "${KB_GZIP}" -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${page}")
  endif()
  file(INSTALL DESTINATION "${dir}" TYPE FILE FILES "${page}.gz")
endwhile()
