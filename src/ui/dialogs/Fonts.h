#pragma once
#include "util/FontFaces.h"

#include <QFont>
#include <QString>

class QWidget;

namespace mrt {

// Face names as the windows and printouts name them (util/FontFaces.h).
inline QString GothicFace() {
    return QString::fromUtf8(kGothicFace);
} // fixed pitch
inline QString PGothicFace() {
    return QString::fromUtf8(kPGothicFace);
} // proportional
inline QString MinchoFace() {
    return QString::fromUtf8(kMinchoFace);
}

// Maps the three face names onto their installed fonts (kFaceAliases) for every QFont made
// afterwards. Call once after the QApplication exists; calling again does no harm.
void InstallFontSubstitutions();

// A font of one of the faces above at a size in points.
QFont UiFont(const QString& face, double points, bool bold = false);

// Gives every widget inside `window` that has no font of its own its parent's font. Qt passes a
// font down to children only while no window above has a style sheet; a dialog opened from the
// totals window (which has one) would otherwise draw its texts in the desktop's font, wider
// than the dialog measured them. Call after the children are made.
void KeepFontInChildren(QWidget* window);

} // namespace mrt
