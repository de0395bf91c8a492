# Runs at install time: fills the installation's own folders into the man pages (the
# package's /usr or a `make install` PREFIX), gzips them and installs them.
# In: PELTRIX_MAN_PAGES (NAME.1.in files), PELTRIX_MAN_WORK, PELTRIX_MAN_DIR,
#     PELTRIX_DATA_DIR, PELTRIX_VERSION; CMAKE_INSTALL_PREFIX, DESTDIR as for any install.
set(DATADIR "${CMAKE_INSTALL_PREFIX}/${PELTRIX_DATA_DIR}")
set(VERSION "${PELTRIX_VERSION}")
# A folder of this installation's own: two installations may run at once (a test and cpack).
string(MD5 installation "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}")
set(PELTRIX_MAN_WORK "${PELTRIX_MAN_WORK}/${installation}")
file(MAKE_DIRECTORY "${PELTRIX_MAN_WORK}")
foreach(template IN LISTS PELTRIX_MAN_PAGES)
  get_filename_component(page "${template}" NAME)
  string(REGEX REPLACE "\\.in$" "" page "${page}")
  configure_file("${template}" "${PELTRIX_MAN_WORK}/${page}" @ONLY)
  execute_process(COMMAND gzip -9nf "${PELTRIX_MAN_WORK}/${page}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip failed on ${PELTRIX_MAN_WORK}/${page}")
  endif()
  file(INSTALL "${PELTRIX_MAN_WORK}/${page}.gz"
       DESTINATION "${CMAKE_INSTALL_PREFIX}/${PELTRIX_MAN_DIR}")
endforeach()
file(REMOVE_RECURSE "${PELTRIX_MAN_WORK}")
