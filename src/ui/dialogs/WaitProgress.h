#pragma once
#include <QtGlobal>

class QDialog;

namespace mrt {

// Shows the progress of a copy at the foot of an open wait window: a bar of the bytes done and
// the count of files. The first call makes the window taller for it; the window is repainted at
// once, since the copying does not return to the event loop.
void ShowWaitProgress(QDialog* wait, int filesDone, int filesTotal, qint64 bytesDone, qint64 bytesTotal);

} // namespace mrt
