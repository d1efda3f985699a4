#include "ui/dialogs/Fonts.h"

#include <QStringList>
#include <QWidget>

namespace mrt {

void InstallFontSubstitutions() {
    // The fixed-pitch gothic keeps full width = 2 × half width, which the byte-counted columns
    // of the grids rely on; the Noto fallbacks keep Japanese readable if IPA is missing.
    for (const FaceAliases& a : kFaceAliases) {
        QStringList fonts;
        for (const char* font : a.fonts)
            if (font) fonts << QString::fromUtf8(font);
        QFont::insertSubstitutions(QString::fromUtf8(a.face), fonts);
    }
}

QFont UiFont(const QString& face, double points, bool bold) {
    QFont f(face);
    f.setPointSizeF(points);
    f.setBold(bold);
    if (face == GothicFace()) f.setStyleHint(QFont::TypeWriter);
    return f;
}

void KeepFontInChildren(QWidget* window) {
    // findChildren lists a parent before the widgets inside it, so fonts pass down level by level.
    for (QWidget* w : window->findChildren<QWidget*>())
        if (!w->testAttribute(Qt::WA_SetFont) && w->parentWidget()) w->setFont(w->parentWidget()->font());
}

} // namespace mrt
