# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian packages the build needs (rsvg-convert renders the icon, Expat
# reads GPX, GeographicLib measures lengths on the ellipsoid, the date library
# reads the system's time zones, uchardet guesses code pages, zlib and
# libarchive unpack gzip and zip inputs, RapidJSON reads GeoJSON).
BUILD_PACKAGES=(g++ cmake make libgtest-dev libbenchmark-dev libexpat1-dev libgeographiclib-dev libhowardhinnant-date-dev libuchardet-dev zlib1g-dev libarchive-dev rapidjson-dev tzdata qt6-base-dev qt6-svg-dev qt6-qpa-plugins librsvg2-bin)
# What the checks use besides: the GPX schema validator, validators of the
# desktop entry and the metadata, the shared MIME database, what CPack and
# lintian need to build and check the .deb, setfacl and getfacl for the
# outputs' ACLs, the independent readers of the KML, GeoJSON and CSV
# outputs (GDAL's ogrinfo, gpsbabel, Python), and the shells whose
# completions kes-convert installs (zsh and fish; bash is there).
TEST_PACKAGES=(libxml2-utils desktop-file-utils appstream shared-mime-info dpkg-dev file lintian acl gdal-bin gpsbabel
  python3 zsh fish)
