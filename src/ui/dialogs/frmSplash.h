#pragma once
#include "util/ProgramInfo.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace mrt {

// The splash and version window: program name, version and provider line as shadowed texts.
class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    // flag 0: shown without the OK button and without waiting (the caller later calls SplashOff);
    // nonzero: shown modally with the OK button, returns when OK is pressed.
    void SplashOn(const QString& sysNam, const QString& prgNam, const QString& ver, const QString& provider,
                  int flag);
    void SplashOff();

    QPushButton* okButton() const { return m_cmdOK; }

private:
    // A text drawn twice: dark grey, and the coloured copy 20 twips right and down.
    void placeShadowed(QLabel* shadow, QLabel* front, const QString& text, int pointSize, const QColor& colour,
                       int x, int y);

    QWidget* m_picBG;
    QLabel* m_image1;
    QLabel* m_picICON;
    QLabel* m_nameShadow;
    QLabel* m_name;
    QLabel* m_verShadow;
    QLabel* m_ver;
    QLabel* m_providerShadow;
    QLabel* m_provider;
    QPushButton* m_cmdOK;
};

// The short name the splash shows beside the program's name (util/ProgramInfo.h).
inline const char* const kProgramShortName = "mrtKel";

} // namespace mrt
