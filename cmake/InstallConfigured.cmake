# Runs while installing: fills the installed paths into one file and installs
# it. Set by the caller: KALO_DIRS (bin, XScreenSaver's saver folder, its
# settings folder, the Xfce and MATE entries, xsecurelock's modules),
# KALO_SOURCE, KALO_DESTINATION, KALO_NAME, KALO_PERMISSIONS, KALO_COMPRESS,
# KALO_STAGING.

# A folder as it will be on the system that runs the program (no DESTDIR).
function(kalo_full_path out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

list(GET KALO_DIRS 0 _bin)
list(GET KALO_DIRS 1 _hacks)
list(GET KALO_DIRS 2 _config)
list(GET KALO_DIRS 3 _entries)
list(GET KALO_DIRS 4 _helpers)
kalo_full_path(_bin "${_bin}")
kalo_full_path(_hacks "${_hacks}")
kalo_full_path(_config "${_config}")
kalo_full_path(_entries "${_entries}")
kalo_full_path(_helpers "${_helpers}")
set(KALO_PROGRAM "${_bin}/kalosaver")
set(KALO_HACK_PATH "${_hacks}/kalosaver")
set(KALO_XSS_CONFIG "${_config}/kalosaver.xml")
set(KALO_SAVER_ENTRY "${_entries}/kalosaver.desktop")
set(KALO_XSECURELOCK_SAVER "${_helpers}/saver_kalosaver")

file(READ "${KALO_SOURCE}" _text)
string(CONFIGURE "${_text}" _text @ONLY)
file(MAKE_DIRECTORY "${KALO_STAGING}")
file(WRITE "${KALO_STAGING}/${KALO_NAME}" "${_text}")
set(_installed "${KALO_STAGING}/${KALO_NAME}")
# Compressed when asked (KALO_COMPRESS); -n leaves the name and time out, so
# the same page gives the same bytes.
if(KALO_COMPRESS)
  execute_process(COMMAND gzip -9nf "${_installed}" RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "gzip ${_installed}: ${_status}")
  endif()
  string(APPEND _installed .gz)
endif()
kalo_full_path(_destination "${KALO_DESTINATION}")
file(INSTALL "${_installed}" DESTINATION "${_destination}" PERMISSIONS ${KALO_PERMISSIONS})
