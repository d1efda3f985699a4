#include "ui/dialogs/WaitProgress.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>

namespace mrt {

namespace {
constexpr int kMinWidth = 380; // room for the bar and its line of counts
constexpr int kMargin = 16;
constexpr int kBarHeight = 20;
} // namespace

void ShowWaitProgress(QDialog* wait, int filesDone, int filesTotal, qint64 bytesDone, qint64 bytesTotal) {
    if (!wait) return;
    auto* bar = wait->findChild<QProgressBar*>(QStringLiteral("waitProgress"));
    auto* counts = wait->findChild<QLabel*>(QStringLiteral("waitCounts"));
    if (!bar || !counts) {
        // Widened with its message kept in the middle, and made taller for the bar and the counts.
        const QSize size = wait->size();
        const int width = std::max(size.width(), kMinWidth);
        const int shift = (width - size.width()) / 2;
        for (QWidget* child : wait->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            child->move(child->x() + shift, child->y());
        bar = new QProgressBar(wait);
        bar->setObjectName(QStringLiteral("waitProgress"));
        bar->setRange(0, 1000);
        bar->setTextVisible(false);
        bar->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid rgb(110,130,95); border-radius: 3px; "
                                          "background: white; }"
                                          "QProgressBar::chunk { background-color: rgb(120,170,100); }"));
        bar->setGeometry(kMargin, size.height(), width - 2 * kMargin, kBarHeight);
        counts = new QLabel(wait);
        counts->setObjectName(QStringLiteral("waitCounts"));
        counts->setAlignment(Qt::AlignCenter);
        const int lineH = counts->fontMetrics().height() + 4;
        counts->setGeometry(kMargin, size.height() + kBarHeight + 4, width - 2 * kMargin, lineH);
        const int grow = kBarHeight + 4 + lineH + kMargin / 2;
        wait->setFixedSize(width, size.height() + grow);
        wait->move(wait->x() - shift, wait->y() - grow / 2);
        bar->show();
        counts->show();
    }
    const qint64 total = std::max<qint64>(bytesTotal, 1);
    bar->setValue(static_cast<int>(std::min<qint64>(1000, bytesDone * 1000 / total)));
    const QLocale locale(QLocale::Japanese);
    counts->setText(QString::fromUtf8("%1 / %2 ファイル　　%3 / %4")
                        .arg(filesDone)
                        .arg(filesTotal)
                        .arg(locale.formattedDataSize(bytesDone, 1, QLocale::DataSizeTraditionalFormat),
                             locale.formattedDataSize(bytesTotal, 1, QLocale::DataSizeTraditionalFormat)));
    wait->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace mrt
