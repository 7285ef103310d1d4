# `make package`: a .deb of the installed tree, built with install prefix /usr
# so the resource folder's links and the desktop files land where Debian's are.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velborn-trimlet)
set(CPACK_PACKAGE_VENDOR Velborn)
set(CPACK_PACKAGE_CONTACT "Velborn <trimlet@velborn.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cut a clip out of a video file")
set(CPACK_PACKAGE_DESCRIPTION
    "Velborn Trimlet cuts one clip out of a video: drop a video on its window,
type where the clip starts and how long it lasts, and save it as MP4. FFmpeg
does the cutting.")
set(CPACK_PACKAGE_HOMEPAGE_URL https://velborn.org/trimlet)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# dpkg-shlibdeps works out the Qt and C++ libraries; the platform plugins and
# the tools the application runs are not linked, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, ffmpeg")
# For Wayland sessions with no X server to fall back on.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)

include(CPack)
