# The Debian package: `cpack -G DEB` in the build folder writes pennoria_<version>_<arch>.deb,
# installing to /usr, with its shared-library dependencies computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pennoria)
set(CPACK_PACKAGE_VENDOR Oskarel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "banner editor that publishes web banners")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Pennoria developers <packages@pennoria.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://pennoria.org/)
# The long description; CPack puts the summary above it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pennoria designs animated web banners: a size, an image, a headline, colours,
a link and an effect. Projects are saved as .pbf files; publishing writes a
folder ready for a web site with the banner movie and, optionally, a page
that shows it with the code to embed it.

The package holds the desktop program (pennoria) and the command-line tool
(pennoria-cli), which publishes saved projects without a display.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Read at run time rather than linked, so dpkg-shlibdeps cannot see them: the fonts given to the
# player (whose full DejaVu Sans also sets Arabic and Hebrew text in published banners), and the
# faces for Chinese, Japanese and Korean, Thai and Devanagari text in published banners.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, fonts-tlwg-loma-ttf, fonts-lohit-deva")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xchm | kchmviewer")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
