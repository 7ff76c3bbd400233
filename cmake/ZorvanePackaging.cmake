# The Debian package (cpack -G DEB, see scripts/package.sh): whatever the
# install rules put under the prefix, with the dependencies dpkg-shlibdeps
# finds in the linked libraries.
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VENDOR "Zorvane")
set(CPACK_PACKAGE_CONTACT "Zorvane developers <developers@zorvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gather the goods a JD coupon applies to")
# Debian wants the lines of the long description under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Zorvane walks the result pages of a JD coupon's goods page and collects\n\
every goods item (id, name, price, promotion tags); filter, sort and export\n\
them to CSV in a window, or with zorvane-cli in scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME zorvane)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's platform plugins are a package of their own; without them the window
# cannot open. The xlsx export's library is named too, so that the package
# asks for it even where dpkg-shlibdeps cannot run; libsystemd0 carries the
# session-bus client of the watch's desktop notices.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libxlsxwriter4, libsystemd0")
# Chinese text of Qt's own dialogs, and a font that has the characters.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wqy-microhei")

# What Debian keeps with every package: the copyright file and, for a
# package of its own developers, the changelog (changelog.gz). The changelog's
# latest entry names the version in project().
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/zorvane)
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog latest_entry LIMIT_COUNT 1)
if(NOT latest_entry MATCHES "^zorvane \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog must begin with an entry for ${PROJECT_VERSION}: ${latest_entry}")
endif()
set(changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${changelog_gz}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(zorvane_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog_gz} DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
include(CPack)
