// The desktop program's entry point.
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/frmSplash.h"
#include "util/Home.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    mrt::InstallFontSubstitutions();
    mrt::frmSplash splash;
    splash.SplashOn(QString::fromUtf8(mrt::kSystemName), QString::fromUtf8(mrt::kProgramShortName),
                    QString::fromUtf8(mrt::kVersionText), QString::fromUtf8(mrt::kProviderLine), 0);
    QThread::msleep(800);
    splash.SplashOff();
    mrt::frmSplash version;
    version.SplashOn(QString::fromUtf8(mrt::kSystemName), QString::fromUtf8(mrt::kProgramShortName),
                     QString::fromUtf8(mrt::kVersionText), QString::fromUtf8(mrt::kProviderLine), 1);
    QMessageBox::information(nullptr, QString::fromUtf8(mrt::kSystemName),
                             QStringLiteral("台帳画面はまだ準備中です。プログラムを終了します。"));
    return 0;
}
