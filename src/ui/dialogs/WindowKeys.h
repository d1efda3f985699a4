#pragma once
#include "port/WindowKey.h"

#include <optional>

class QKeyEvent;
class QString;

namespace mrt {

// The WindowKey of a key press: Enter/Return (Shift: ShiftEnter), Tab/Backtab, Esc, the arrows,
// Home, End, PageUp, PageDown, F1..F4, F12, Alt+F4, and Char for a printable character typed
// without Ctrl or Alt. Other keys (modifiers alone, Ctrl combinations, other F-keys) give
// nothing, so that the control keeps them.
std::optional<WindowKey> ToWindowKey(const QKeyEvent* e);

// Position in UTF-16 units (what a QLineEdit counts) of the caret after `characters` code points.
int Utf16Position(const QString& text, int characters);

} // namespace mrt
