#include "ui/dialogs/ProgramColours.h"

#include "ui/dialogs/Fonts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QWidget>

namespace mrt {

QString DialogButtonStyle(const QColor& c) {
    return QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2; border-radius: 3px; "
                          "padding: 3px 10px; }"
                          "QPushButton:focus { border: 2px solid %3; }"
                          "QPushButton:pressed { background-color: %2; }"
                          "QPushButton:disabled { color: %2; }")
        .arg(c.name(), c.darker(150).name(), c.darker(260).name());
}

void UseProgramColours(QWidget* window) {
    QPalette p = window->palette();
    p.setColor(QPalette::Window, kDialogWindowColour);
    window->setPalette(p);
    window->setAutoFillBackground(true);
    const QString focusEdge = kDialogButtonColour.darker(260).name();
    for (QPushButton* b : window->findChildren<QPushButton*>())
        b->setStyleSheet(DialogButtonStyle());
    for (QAbstractItemView* v : window->findChildren<QAbstractItemView*>()) {
        // A list inside a drop-down list keeps the drop-down's look.
        if (qobject_cast<QComboBox*>(v->parentWidget() ? v->parentWidget()->parentWidget() : nullptr)) continue;
        QPalette vp = v->palette();
        vp.setColor(QPalette::Base, kTableCellColour);
        v->setPalette(vp);
        v->setStyleSheet(QStringLiteral("QHeaderView { background-color: %1; }"
                                        "QHeaderView::section { background-color: %1; border: none; "
                                        "border-right: 1px solid %2; border-bottom: 1px solid %2; padding: 2px; }"
                                        "QAbstractItemView:focus { border: 2px solid %3; }")
                             .arg(kTableHeadingColour.name(), kTableHeadingColour.darker(140).name(), focusEdge));
    }
    KeepFontInChildren(window);
}

} // namespace mrt
