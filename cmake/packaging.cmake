# A Debian package of the program: cpack -G DEB in the build folder (CPackConfig.cmake).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dozadir-keyboard)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Dozadir)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration tool for Dozadir keyboards, mice, mousepads and headsets")
set(CPACK_PACKAGE_DESCRIPTION
    "Sets up the lighting, key assignments, macros, mouse sensitivity and headset sound of
the Dozadir family of USB peripherals, with a command-line client (dozadirctl) for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Dozadir Keyboard maintainers")
# The libraries the binaries link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins loaded at run time, which no binary links: the SVG icons, the image formats.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei")
include(CPack)
