# `make package`: a Debian package of what `cmake --install` installs, under /usr. Its
# dependencies are computed from the binaries (dpkg-shlibdeps), so that installing it with apt
# pulls in Qt and the rest.

set(TALLOWFEN_MAINTAINER "Tallowfen maintainers <tallowfen@brenthorpe.org>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallowfen)
set(CPACK_PACKAGE_VENDOR Brenthorpe)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TALLOWFEN_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk cataloguer: catalog your media and browse them offline")
set(CPACK_PACKAGE_DESCRIPTION
  "Tallowfen reads a medium (a floppy, a CD, a USB stick, a network share, any mounted
file system or folder) into a catalog file: its volume data and its whole tree of
folders and files, archive entries and descriptions from FILE_ID.DIZ, DESCRIPT.ION
and FILES.BBS included. With the media put away, browse the catalogs and find out
on which disk a file is. tallowfen-cli drives the same engines from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Cache refreshers (run by dpkg triggers) and the opener of launched files.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, xdg-utils")

# `package_source` (not used by the Makefile) packs the sources, not the build trees.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/build-;/\\.git;/\\.cache/")

include(CPack)
