#include "ui/dialogs/WaitProgress.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLocale>
#include <QProgressBar>

namespace mrt {

void ShowWaitProgress(QDialog* wait, int filesDone, int filesTotal, qint64 bytesDone, qint64 bytesTotal) {
    if (!wait) return;
    auto* bar = wait->findChild<QProgressBar*>(QStringLiteral("waitProgress"));
    if (!bar) {
        const QSize size = wait->size();
        const int margin = 16, h = 22;
        bar = new QProgressBar(wait);
        bar->setObjectName(QStringLiteral("waitProgress"));
        bar->setRange(0, 1000);
        bar->setAlignment(Qt::AlignCenter);
        bar->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid rgb(110,130,95); border-radius: 3px; "
                                          "background: white; color: rgb(0,0,64); }"
                                          "QProgressBar::chunk { background-color: rgb(176,202,153); }"));
        bar->setGeometry(margin, size.height(), size.width() - 2 * margin, h);
        wait->setFixedSize(size.width(), size.height() + h + margin);
        wait->move(wait->x(), wait->y() - (h + margin) / 2);
        bar->show();
    }
    const qint64 total = std::max<qint64>(bytesTotal, 1);
    bar->setValue(static_cast<int>(std::min<qint64>(1000, bytesDone * 1000 / total)));
    const QLocale locale(QLocale::Japanese);
    bar->setFormat(QString::fromUtf8("%1 / %2 ファイル　%3 / %4")
                       .arg(filesDone)
                       .arg(filesTotal)
                       .arg(locale.formattedDataSize(bytesDone, 1, QLocale::DataSizeTraditionalFormat),
                            locale.formattedDataSize(bytesTotal, 1, QLocale::DataSizeTraditionalFormat)));
    bar->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace mrt
