# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, built by CPack in the build folder: `cpack -G DEB`
# (or bash scripts/package.sh). Its dependencies come from dpkg-shlibdeps.
# Debian wants a mail address on a real domain here (not one ending in .local).
set(KES_PACKAGE_MAINTAINER "Kestrelmaps developers <dev@kestrelmaps.org>" CACHE STRING
    "Maintainer field of the Debian package and signature of its changelog")

# What every Debian package carries in its documentation folder.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
kes_gzip_file(${PROJECT_BINARY_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${KES_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KES_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "Kestrelmaps")
set(CPACK_PACKAGE_CONTACT ${KES_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter for GPS waypoint, track and route files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
kesTranscribe is a desktop program that converts the files of
satellite-navigation devices and programs: waypoints, tracks and routes.
It reads sixteen formats (Kestrelmaps, Holux, MapSend, Magellan memory
card, Nobletec, NMEA 0183, MapSource .mps and .gdb, TomTom .ov2, GPX)
and writes the Kestrelmaps, Holux and GPX ones. Inputs that hold several
tracks give one track file per track, or go into one GPX file or one
Holux track image. The kes-convert command does the same conversions
from the command line, for scripts and batches.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KES_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Time zones are read from the system's database, which no library links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS tzdata)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed programs carry no debugging information.
set(CPACK_STRIP_FILES ON)
include(CPack)
