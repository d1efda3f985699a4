#pragma once
#include "util/FontFaces.h"

#include <QFont>
#include <QString>

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

} // namespace mrt
