#pragma once

class QLineEdit;
class QWidget;

namespace mrt {

// Places a window in the middle of its screen.
void CenterForm(QWidget* window);

// Clipboard commands of a text box; a box without a selection or an empty clipboard does nothing.
void CopySelection(QLineEdit* box);
void CutSelection(QLineEdit* box);
void PasteSelection(QLineEdit* box);

// Shift, Ctrl, Alt, Meta and the lock keys pressed on their own: no control takes them as input.
bool IsModifierKey(int key);

} // namespace mrt
