#include "ui/main/WindowHelpers.h"

#include "ui/dialogs/WindowKeeper.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>

namespace mrt {

void CenterForm(QWidget* window) {
    CentreOnScreen(window);
}

void CopySelection(QLineEdit* box) {
    if (box && box->hasSelectedText()) QApplication::clipboard()->setText(box->selectedText());
}

void CutSelection(QLineEdit* box) {
    if (!box || !box->hasSelectedText()) return;
    CopySelection(box);
    box->del();
}

void PasteSelection(QLineEdit* box) {
    const QString text = QApplication::clipboard()->text();
    if (box && !text.isEmpty()) box->insert(text);
}

bool IsModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return false;
    }
}

} // namespace mrt
