# `make package`: a Debian package of the installed tree (programs, resources, menu entry, icon,
# AppStream metadata, manual pages), installed under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mrtkel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "mrtkel developers <developers@mrtkel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard-first household account book (ミルテ家計簿)")
# The long description; CPack puts the summary above it and indents it as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A household account book for the desktop with a Japanese user interface.
Every receipt and payment is one ledger line of date, item, note, shop and
amount; the program keeps the running balance, evaluates amounts with
consumption tax, keeps a monthly budget per item, shows and prints weekly and
closing-period totals, prints the ledger and backs its data up. Its data files
are fixed-layout Shift-JIS files.

mrtkel-tool lists, adds to and checks the same data from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
# The shared libraries the programs link come from dpkg-shlibdeps (dpkg-dev); besides them the
# program needs Qt's X11 platform plugin to open a window, Qt's Japanese translations for the
# standard dialogs, and the IPA fonts that its fixed-width columns are measured in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, fcitx5-frontend-qt6 | ibus")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fcitx5-mozc | ibus-mozc")
include(CPack)
