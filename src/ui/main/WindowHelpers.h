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

} // namespace mrt
