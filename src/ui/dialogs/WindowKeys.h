#pragma once
#include "port/WindowKey.h"

#include <optional>

class QEvent;
class QKeyEvent;
class QLineEdit;
class QString;
class QWidget;

namespace mrt {

// The WindowKey of a key press: Enter/Return (Shift: ShiftEnter), Tab/Backtab, Esc, the arrows,
// Home, End, PageUp, PageDown, F1..F4, F12, Alt+F4, and Char for a printable character typed
// without Ctrl or Alt. Other keys (modifiers alone, Ctrl combinations, other F-keys) give
// nothing, so that the control keeps them.
std::optional<WindowKey> ToWindowKey(const QKeyEvent* e);

// Alt+F4 in a window: closes the help windows when one is shown, else the window. True (taken).
bool AltF4CloseHelpOrWindow(QWidget* window);

// For an event filter on an edit box: a focus that comes by Tab would select the box's whole
// text; the box gets a plain focus instead and keeps its caret. True when the event was replaced.
bool KeepCaretOnTabFocus(QLineEdit* box, QEvent* event);

// Position in UTF-16 units (what a QLineEdit counts) of the caret after `characters` code points.
int Utf16Position(const QString& text, int characters);

} // namespace mrt
