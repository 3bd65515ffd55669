# Who publishes the program. debian/control is the one place that names the maintainer and the
# home page (its Maintainer and Homepage fields): the Debian package takes them from there, and
# this build reads them for what it writes itself (the AppStream description's home page and
# screenshots). The release entries in debian/changelog are signed by whoever made them.
# While the placeholders are in place, the build says so loudly and the programs call their
# version a local build (--version and Help > About).
file(STRINGS ${PROJECT_SOURCE_DIR}/debian/control TLX_CONTROL_FIELDS REGEX "^(Maintainer|Homepage):")
set(TLX_PACKAGE_MAINTAINER "")
set(TLX_PACKAGE_HOMEPAGE "")
foreach(line IN LISTS TLX_CONTROL_FIELDS)
  if(line MATCHES "^Maintainer: *(.*)$")
    set(TLX_PACKAGE_MAINTAINER "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^Homepage: *(.*)$")
    set(TLX_PACKAGE_HOMEPAGE "${CMAKE_MATCH_1}")
  endif()
endforeach()
file(STRINGS ${PROJECT_SOURCE_DIR}/debian/changelog TLX_CHANGELOG_SIGNER REGEX "^ -- " LIMIT_COUNT 1)

set(TLX_LOCAL_BUILD OFF)
foreach(value IN ITEMS "${TLX_PACKAGE_MAINTAINER}" "${TLX_PACKAGE_HOMEPAGE}" "${TLX_CHANGELOG_SIGNER}")
  if(value STREQUAL "" OR value MATCHES "example\\.(org|com|net)")
    set(TLX_LOCAL_BUILD ON)
  endif()
endforeach()
if(TLX_LOCAL_BUILD)
  message(WARNING
    "\n"
    "  *** LOCAL BUILD: the publisher is still a placeholder. ***\n"
    "  Maintainer: ${TLX_PACKAGE_MAINTAINER}\n"
    "  Homepage:   ${TLX_PACKAGE_HOMEPAGE}\n"
    "  Set your own in debian/control (Maintainer, Homepage) and sign the release in\n"
    "  debian/changelog (dch) before publishing packages; until then the programs report\n"
    "  their version as a local build.\n")
endif()
