# The Debian packages the build and the tests need.
BUILD_PACKAGES=(g++ cmake make libgtest-dev libbenchmark-dev libexpat1-dev libxml2-utils qt6-base-dev qt6-qpa-plugins)
