# The Debian package: `cpack -G DEB` in a build directory (./dev package). Its dependencies are
# worked out by dpkg-shlibdeps (package dpkg-dev) from the libraries the programs are linked to.

# Who publishes the package. These two settings are the only place the maintainer and the home
# page are named: the package's control fields, its changelog, its copyright file and the
# AppStream description all take them from here. Whoever publishes the package replaces the
# placeholders, here or with -DTLX_PACKAGE_MAINTAINER=... -DTLX_PACKAGE_HOMEPAGE=... at configure
# time; see "Publishing the package" in the README.
set(TLX_PACKAGE_MAINTAINER "Tracelux-One packager <packager@tracelux.example.org>" CACHE STRING
    "Maintainer of the Debian package, \"Name <address>\" (replace the placeholder when publishing)")
set(TLX_PACKAGE_HOMEPAGE "https://tracelux.example.org/" CACHE STRING
    "Home page of the program (replace the placeholder when publishing)")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tracelux)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Tracelux-One authors")
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
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TLX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TLX_PACKAGE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening the manual goes through the desktop's file opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
# The programs are stripped into the package and their debug symbols go to a package of their
# own, tracelux-dbgsym (./dev package renames CPack's .ddeb to .deb, the name Debian uses).
# CPack strips them itself; CPACK_STRIP_FILES would strip them before it could keep the symbols.
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
# Owner and group root on every file, whoever builds the package.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
