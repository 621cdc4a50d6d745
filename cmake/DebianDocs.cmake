# What Debian asks of every package's documentation and a plain install does
# without: the licence in the machine-readable copyright format, and the
# package's own changelog (the compressed manual is in Packaging.cmake). Included by Packaging.cmake; writes both into
# ${CMAKE_BINARY_DIR}/debian.
set(_doc ${CMAKE_BINARY_DIR}/debian)
file(MAKE_DIRECTORY ${_doc})

file(READ ${CMAKE_SOURCE_DIR}/LICENSE _text)
# The holder from the licence's copyright line; the terms are what follows.
if(NOT _text MATCHES "Copyright \\(c\\) ([^\n]*)\n(.*)")
  message(FATAL_ERROR "LICENSE has no copyright line")
endif()
set(_holder "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" _text)
# Each line indented, blank lines as " ." (in two passes, as neighbouring
# blank lines share a newline and one pass would take only every other one).
string(REPLACE "\n" "\n " _text " ${_text}")
string(REGEX REPLACE "\n [ \t]*\n" "\n .\n" _text "${_text}")
string(REGEX REPLACE "\n [ \t]*\n" "\n .\n" _text "${_text}")
file(WRITE ${_doc}/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: KaloSaver\n"
     "\n"
     "Files: *\n"
     "Copyright: ${_holder}\n"
     "License: MIT\n"
     "\n"
     "License: MIT\n"
     "${_text}\n")

# Dated by SOURCE_DATE_EPOCH when it is set, so a rebuild can match.
string(TIMESTAMP _date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${_doc}/changelog.Debian
     "kalosaver (${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}) unstable; urgency=medium\n"
     "\n"
     "  * Package built from the KaloSaver ${PROJECT_VERSION} sources.\n"
     "\n"
     " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${_date}\n")
# gzip -n: no name and no time stamp inside.
execute_process(COMMAND gzip -9nf ${_doc}/changelog.Debian RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "gzip changelog.Debian: ${_status}")
endif()

# Only the package takes them: a plain install keeps the LICENSE file. The
# package takes everything else but the uncompressed manual.
install(FILES ${_doc}/copyright ${_doc}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kalosaver COMPONENT debian EXCLUDE_FROM_ALL)
# Debian's packages carry no compiler version notes in their programs, as
# dh_strip removes them; the program is stripped by then (CPACK_STRIP_FILES).
find_program(KALO_OBJCOPY NAMES ${CMAKE_OBJCOPY} objcopy)
if(KALO_OBJCOPY)
  install(CODE "execute_process(COMMAND [[${KALO_OBJCOPY}]] --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kalosaver\" COMMAND_ERROR_IS_FATAL ANY)"
    COMPONENT debian EXCLUDE_FROM_ALL)
endif()
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};KaloSaver;Unspecified;/;${CMAKE_BINARY_DIR};KaloSaver;debian;/")
