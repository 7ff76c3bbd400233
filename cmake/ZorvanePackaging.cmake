# The Debian package (cpack -G DEB, see scripts/package.sh): whatever the
# install rules put under the prefix, with the dependencies dpkg-shlibdeps
# finds in the linked libraries.
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VENDOR "Zorvane")
set(CPACK_PACKAGE_CONTACT "Zorvane developers <zorvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gather the goods a JD coupon applies to")
set(CPACK_PACKAGE_DESCRIPTION
    "Zorvane walks the result pages of a JD coupon's goods page and collects every goods item\n\
(id, name, price, promotion tags); filter, sort and export them to CSV in a window,\n\
or with zorvane-cli in scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME zorvane)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's platform plugins are a package of their own; without them the window
# cannot open. The xlsx export's library is named too, so that the package
# asks for it even where dpkg-shlibdeps cannot run.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libxlsxwriter4")
# Chinese text of Qt's own dialogs, and a font that has the characters.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wqy-microhei")

set(CPACK_GENERATOR DEB)
include(CPack)
