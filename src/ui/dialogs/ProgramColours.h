#pragma once
#include <QColor>
#include <QString>

class QWidget;

namespace mrt {

// The colours of the program's dialog windows: a pale green window, green buttons whose edge
// darkens with the focus, tables in the ledger grid's cream with its blue headings.
inline const QColor kDialogWindowColour(224, 235, 224);
inline const QColor kDialogButtonColour(176, 202, 153);
inline const QColor kTableCellColour(255, 255, 248);
inline const QColor kTableHeadingColour(176, 224, 255);

// The style of a push button in colour `c`: a 1-pixel darker edge, 2 pixels and darker still
// while it has the focus.
QString DialogButtonStyle(const QColor& c = kDialogButtonColour);

// Gives `window` and everything in it the colours above: the window's background, its push
// buttons, its tables and lists, and a dark edge on the list or table that has the focus (text
// boxes and drop-down lists show theirs themselves). Keeps the window's font in its children
// (see KeepFontInChildren). Call after the children are made.
void UseProgramColours(QWidget* window);

} // namespace mrt
