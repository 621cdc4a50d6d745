# Where the program and its data go, so that the screen-saver hosts, the
# desktop's menus, file managers and software centres find them; and the
# Debian package that carries the same files.
include(GNUInstallDirs)

set(KALO_DATA ${CMAKE_SOURCE_DIR}/data)
set(KALO_XSECURELOCK_HELPER_DIR "${CMAKE_INSTALL_LIBEXECDIR}/xsecurelock/helpers"
    CACHE STRING "Folder of xsecurelock's saver modules, relative to the prefix or absolute")
set(KALO_HACK_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
set(KALO_XSS_CONFIG_DIR ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
set(KALO_SAVER_ENTRY_DIR ${CMAKE_INSTALL_DATADIR}/applications/screensavers)

install(TARGETS kalosaver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# XScreenSaver, and Xfce and MATE after it, run savers from their own folder:
# a relative link there keeps one program, wherever the prefix lands.
cmake_path(ABSOLUTE_PATH KALO_HACK_DIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX} OUTPUT_VARIABLE _hack)
file(RELATIVE_PATH _to_program ${_hack} ${CMAKE_INSTALL_FULL_BINDIR}/kalosaver)
file(CREATE_LINK ${_to_program} ${CMAKE_BINARY_DIR}/kalosaver-hack SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/kalosaver-hack DESTINATION ${KALO_HACK_DIR} RENAME kalosaver)

install(FILES ${KALO_DATA}/xscreensaver.xml DESTINATION ${KALO_XSS_CONFIG_DIR} RENAME kalosaver.xml)
install(FILES ${KALO_DATA}/kalosaver.desktop ${KALO_DATA}/kalosaver-open.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KALO_DATA}/mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME kalosaver.xml)
install(FILES ${KALO_DATA}/icons/kalosaver.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${KALO_DATA}/io.github.kalosaver.KaloSaver.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The package carries the licence in Debian's copyright file instead
# (DebianDocs.cmake), so the plain licence goes only into a plain install.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kalosaver COMPONENT manual)

# The hosts' entries, the xsecurelock module and the manual name installed
# paths. They are written as they are installed, so that they name the prefix
# they land in: "cmake --install --prefix" gets paths that exist, and the
# package gets /usr whatever the build folder was configured with.
set(_install_time ${CMAKE_SOURCE_DIR}/cmake/InstallConfigured.cmake)
set(_dirs "set(KALO_DIRS [[${CMAKE_INSTALL_BINDIR}]] [[${KALO_HACK_DIR}]] \
[[${KALO_XSS_CONFIG_DIR}]] [[${KALO_SAVER_ENTRY_DIR}]] [[${KALO_XSECURELOCK_HELPER_DIR}]])
set(PROJECT_VERSION [[${PROJECT_VERSION}]])
set(KALO_STAGING [[${CMAKE_BINARY_DIR}/install-time]])")
# The manual goes into a plain install as it is (the "manual" component,
# which the package leaves out), and into the package compressed, as Debian
# asks (the "debian" component, below).
set(_read "OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ")
foreach(entry
    "screensaver.desktop.in|${KALO_SAVER_ENTRY_DIR}|kalosaver.desktop|${_read}|Unspecified"
    "saver_kalosaver.in|${KALO_XSECURELOCK_HELPER_DIR}|saver_kalosaver|${_read} OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE|Unspecified"
    "kalosaver.6.in|${CMAKE_INSTALL_MANDIR}/man6|kalosaver.6|${_read}|manual"
    "kalosaver.6.in|${CMAKE_INSTALL_MANDIR}/man6|kalosaver.6|${_read}|debian")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 _source)
  list(GET entry 1 _destination)
  list(GET entry 2 _name)
  list(GET entry 3 _permissions)
  list(GET entry 4 _component)
  set(_compress OFF)
  set(_only_asked)
  if(_component STREQUAL "debian")
    set(_compress ON)
    set(_only_asked EXCLUDE_FROM_ALL)
  endif()
  install(CODE "${_dirs}
    set(KALO_SOURCE [[${KALO_DATA}/${_source}]])
    set(KALO_DESTINATION [[${_destination}]])
    set(KALO_NAME [[${_name}]])
    set(KALO_PERMISSIONS ${_permissions})
    set(KALO_COMPRESS ${_compress})
    include([[${_install_time}]])" COMPONENT ${_component} ${_only_asked})
endforeach()

# An install straight into a prefix refreshes the desktop's caches, or
# canvas files would stay unknown to file managers until something else did.
# Installs into a staging folder (DESTDIR, the package) leave that to the
# system that finally receives the files.
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    find_program(_update_mime update-mime-database)
    find_program(_update_desktop update-desktop-database)
    if(_update_mime)
      execute_process(COMMAND \${_update_mime} \${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime)
    endif()
    if(_update_desktop)
      execute_process(COMMAND \${_update_desktop} -q \${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications)
    endif()
  endif()")

# The Debian package: "cpack -G DEB" in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalosaver)
set(CPACK_PACKAGE_VENDOR "The KaloSaver developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver that draws line art stroke by stroke")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Staged through DESTDIR with the prefix /usr, so that the files written at
# install time name /usr and the caches are left to the target system.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Whoever builds the package signs it, as Debian's own tools do: from
# DEBFULLNAME and DEBEMAIL when they are set.
set(_maintainer "The KaloSaver developers")
if(DEFINED ENV{DEBFULLNAME})
  set(_maintainer "$ENV{DEBFULLNAME}")
endif()
if(DEFINED ENV{DEBEMAIL})
  string(APPEND _maintainer " <$ENV{DEBEMAIL}>")
endif()
set(KALO_PACKAGE_MAINTAINER "${_maintainer}" CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KALO_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt draws on a Wayland desktop through its Wayland platform; without it the
# saver would need the desktop's X server, where a compositor has one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | xfce4-screensaver | mate-screensaver | xsecurelock | swayidle")
# The summary above is the first line of the description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "KaloSaver fills the screen with line art drawn layer upon layer, each
layer in a new colour and a narrower pen: spirals traced by a pen on a
rolling circle, yarn, stars, twisting polygons, angle spirals and rings
of boxes.
.
It runs in XScreenSaver, xfce4-screensaver, mate-screensaver and
xsecurelock, is started by Wayland idle daemons such as swayidle, or
runs full screen on its own (kalosaver /s). A design can be kept as a
bitmap and as a canvas file that KaloSaver draws again or renders into
an image of any size.")
include(${CMAKE_SOURCE_DIR}/cmake/DebianDocs.cmake)
include(CPack)
