#pragma once
#include <QPixmap>
#include <QSize>

namespace mrt {

// The message window's icon list: 1 information, 2 question, 3 exclamation, 4 stop,
// 5 input (pencil). Other numbers give an empty picture.
QPixmap IconPicture(int number, int side = 32);

// The button picture list of the dialogs: 1 confirm (check mark), 2 cancel (cross), 3 yes
// (circle), 4 help (question mark), 5 print (printer), 6 save (disk), 7 back (arrow left),
// 8 next (arrow right). Other numbers give the number itself drawn as text.
QPixmap ButtonPicture(int number, QSize size);

// Pictures of the main window's menu and tool buttons.
enum class MainPicture { Totals, Print, Register, Auxiliary, Exit, CancelEntry, EditWork };
QPixmap MainButtonPicture(MainPicture which, QSize size);

} // namespace mrt
