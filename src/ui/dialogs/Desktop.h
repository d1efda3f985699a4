#pragma once
#include <QIcon>
#include <QString>

class QApplication;
class QWidget;

namespace mrt {

// The desktop's name for the program (menu entry, icon, AppStream metadata): "jp.mrtkel.mrtkel".
QString AppId();

// Loads Qt's own Japanese translations (qtbase_ja from Qt's translations folder, Debian's
// qt6-translations-l10n) and makes Japanese the default locale, so that the standard message
// boxes, file and print dialogs speak Japanese whatever the desktop's language. False when the
// translations are not installed; the dialogs' texts then stay in English.
bool InstallQtTranslations(QApplication& app);

// The program's icon: the PNGs installed beside the resources folder
// (<resources>/../icons/hicolor/<n>x<n>/apps/<AppId>.png), else the desktop theme's icon of that
// name. Null when neither is found.
QIcon ProgramIcon(const QString& resourceFolder);

// Ties the windows to the menu entry (window icon, desktop file name for the window manager).
void SetDesktopIdentity(QApplication& app, const QString& resourceFolder);

// A text field that takes Japanese: the desktop's input method (fcitx5, IBus) composes into it.
void SetJapaneseInput(QWidget* field);
// A date or amount field: the input method is kept away, so the digits typed arrive unconverted.
void SetDirectInput(QWidget* field);

} // namespace mrt
