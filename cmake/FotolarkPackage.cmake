# The Debian package: `cpack -G DEB` in a build folder (tools/build.sh package) turns the
# install rules into fotolark_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fotolark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${FOTOLARK_MAINTAINER})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${FOTOLARK_HOMEPAGE})
# The libraries the programs link come from dpkg-shlibdeps. Those loaded at run time are
# named here: Qt's SVG plugins draw the program's icons; SANE is needed only for scanning.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsane1")
# The first line is the synopsis; CPack indents the rest as control files want.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "photo album manager that writes albums to CD/DVD
Fotolark keeps photos in named albums, each photo with a caption and notes.
Photos come in from files, by drag and drop or from a scanner; the current
photo can be turned, straightened, flipped, cropped and adjusted.

Chosen albums are written to a CD/DVD or an ISO image together with an album
viewer, so that the disc shows the albums on another computer. The command
fotolark-disc does the same without the window.")

include(CPack)
