# `cpack -G DEB` in a build tree makes a Debian package of what
# cmake/Install.cmake installs, under /usr. Its library dependencies are read
# from the programs by dpkg-shlibdeps (package dpkg-dev); the Qt plugins the
# window needs at run time are named here because no binary links them.
set(CPACK_PACKAGE_NAME pelmora)
set(CPACK_PACKAGE_VENDOR Vantrel)
set(CPACK_PACKAGE_CONTACT "Vantrel <pelmora@vantrel.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "answers missed phone calls with a text message")
# One string: a list of lines would reach the control file joined by ";".
set(CPACK_PACKAGE_DESCRIPTION "Pelmora follows the incoming calls of a ModemManager phone and, when a
caller hangs up unanswered, replies with a text message chosen by the
user's profiles, rules and limits. Without a modem it runs on a simulated
phone line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "modemmanager, qt6-wayland, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vantrel.com/pelmora/")
set(CPACK_GENERATOR DEB)
include(CPack)
