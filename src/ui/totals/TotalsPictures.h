#pragma once
#include <QPixmap>
#include <QSize>

namespace mrt {

// Pictures of the totals window's buttons.
enum class TotalsPicture { WeekBack, DayBack, DayOn, WeekOn, ClosingDay, Chart };
QPixmap TotalsButtonPicture(TotalsPicture which, QSize size);

} // namespace mrt
