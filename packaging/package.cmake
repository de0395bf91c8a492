# The Debian package, built by `make deb` (CPack): build/peltrix_VERSION_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME peltrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the peltrix authors")
set(CPACK_PACKAGE_CONTACT "peltrix authors <peltrix@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter of pictures into interlaced Commodore 64 pictures")
# The long description, as Debian shows it: lines of at most 80 characters with the leading space.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "peltrix turns an ordinary picture (JPEG, PNG or BMP) into an interlaced picture"
  "for the Commodore 64: three hires bitmap frames that a C64 viewer program"
  "alternates so fast that the eye mixes their colours. For every cell it searches"
  "exhaustively for the three colour pairs and per-pixel choices whose blend comes"
  "closest to the picture."
  "."
  "The package holds the window (peltrix, GTK 2) and the command-line converter"
  "(peltrix-convert). Both save the bare C64 data or a ready-to-run C64 program"
  "for PAL or NTSC machines. A sample picture to try them on comes with them.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # peltrix_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies come from the binaries themselves (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# VICE runs the programs; it lives in Debian's contrib component.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS vice)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${PELTRIX_DIRECTORY_PERMISSIONS})
# CPack runs later, in a process of its own: it reads the sources' time from this file, so
# that the package's file times and its control archive are the same on every rebuild.
set(PELTRIX_CPACK_TIME ${CMAKE_CURRENT_BINARY_DIR}/cpack_source_time.cmake)
file(WRITE ${PELTRIX_CPACK_TIME} "set(ENV{SOURCE_DATE_EPOCH} \"${PELTRIX_SOURCE_DATE_EPOCH}\")\n")
set(CPACK_PROJECT_CONFIG_FILE ${PELTRIX_CPACK_TIME})
include(CPack)
