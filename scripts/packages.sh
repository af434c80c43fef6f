# The Debian packages the build needs (rsvg-convert renders the icon).
BUILD_PACKAGES=(g++ cmake make libgtest-dev libbenchmark-dev qt6-base-dev qt6-qpa-plugins librsvg2-bin)
# What the install and package checks use besides: validators of the desktop
# entry and the metadata, the shared MIME database, and what CPack and
# lintian need to build and check the .deb.
TEST_PACKAGES=(desktop-file-utils appstream shared-mime-info dpkg-dev file lintian)
