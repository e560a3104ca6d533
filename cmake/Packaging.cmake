# The Debian package: `cpack -G DEB` in the build folder makes
# tessaro_VERSION_ARCH.deb of everything `cmake --install` installs under
# /usr, stripped, with its library dependencies computed from the programs
# by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME tessaro)
set(CPACK_PACKAGE_VENDOR "Tessaro developers")
set(CPACK_PACKAGE_CONTACT "Tessaro developers <tessaro@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "memory card utility for a stand-alone DV video player")
set(CPACK_PACKAGE_DESCRIPTION "\
Formats and maintains the memory cards of the Pelko Tessaro M8, a
stand-alone PAL DV video player. The card has no PC file system; the
utility reads and writes the player's own layout through the raw block
device of a card reader, or works on a card image file.
.
It writes DV and AVI files into clip slots (compacting the card when its
free space is split), reads clips back into raw DV files, deletes them,
edits playlists with CUT and AUTO transitions, shows thumbnails, previews
clips and converts AVI files with a separate audio track to DV. The window
(tessaro) and the terminal command (tessaro-card) speak English and
Russian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts in Russian. (Not Qt's Wayland plugin: the window places
# itself and its drag image by screen position, which only X11, XWayland
# on a Wayland desktop, allows.)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
