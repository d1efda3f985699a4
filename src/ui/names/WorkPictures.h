#pragma once
#include <QPixmap>
#include <QSize>

namespace mrt {

// Pictures of the registration window's work buttons: 0 add, 1 rename, 2 delete, 3 move up,
// 4 move down; 5 the income/expense switch.
QPixmap WorkPicture(int index, QSize size);

} // namespace mrt
