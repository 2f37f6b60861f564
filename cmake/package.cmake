# The Debian package, built by scripts/package from a Release build:
# cpack -G DEB gives tarvik_VERSION_ARCH.deb. The libraries it needs are found by
# dpkg-shlibdeps (dpkg-dev) from the programs themselves.

set(TARVIK_MAINTAINER "The Tarvik team <tarvik@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME tarvik)
set(CPACK_PACKAGE_VENDOR "The Tarvik team")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TARVIK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find the office documents that contain a phrase")
list(JOIN TARVIK_TOOLS ", " TARVIK_TOOL_NAMES)
# Lines joined below; a semicolon would split the text as a CMake list.
set(CPACK_PACKAGE_DESCRIPTION
  "Tarvik searches a folder tree for StarOffice and OpenOffice.org documents\n"
  "(Writer, Calc, Impress, Draw and Math documents in the 1.x and 2.0 formats,\n"
  "with their templates) that contain a phrase: the whole phrase, every word or\n"
  "any word, with or without letter case, in the text, the metadata or the\n"
  "styles.\n"
  "\n"
  "The package holds the Qt window tarvik with its menu entry, and the\n"
  "command-line tools that share its engine: ${TARVIK_TOOL_NAMES}.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARVIK_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries: xdg-utils opens found documents and asks for their
# application; Qt's platform plugins are only recommended by its libraries, but
# the window cannot start without one. SQLite (the prefilter cache) is named
# too, though dpkg-shlibdeps finds it as well: every program links it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, libsqlite3-0")
if(TARGET tarvik)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-qpa-plugins")
endif()
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")

include(CPack)
