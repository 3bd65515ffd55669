# The Debian package: `cpack -G DEB` in a build directory (./dev package). Its dependencies are
# worked out by dpkg-shlibdeps (package dpkg-dev) from the libraries the programs are linked to.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tracelux)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tracelux-One developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video tracking of one laboratory animal: recording and zone analysis")
set(CPACK_PACKAGE_DESCRIPTION
"Tracelux-One drives a video-tracking unit over a serial line: it sets up an
experiment, records every position the unit reports and turns each recording
into per-session, per-zone results (distance, ambulatory, stereotypic and
resting time, visits, latency). Recordings can be reanalysed, exported as
delimited text and printed.
.
The package holds the desktop program tracelux, with its menu entry, and the
command line tracelux-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tracelux-One developers <maintainers@tracelux.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening the manual goes through the desktop's file opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
include(CPack)
