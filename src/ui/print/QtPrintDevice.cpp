#include "ui/print/QtPrintDevice.h"

#include "port/Dialogs.h"
#include "print/PrintOutput.h"
#include "ui/dialogs/QtText.h"
#include "ui/print/QtPagePrinter.h"
#include "util/ProgramInfo.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace mrt {

namespace {

// A file name part without the characters a folder path or the desktop would trip over.
QString safeFileName(QString name) {
    for (QChar bad : {u'/', u'\\', u':', u'*', u'?', u'"', u'<', u'>', u'|'})
        name.replace(bad, u'_');
    return name.trimmed();
}

} // namespace

QString ProposedPdfPath(const std::string& fileStem) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    return QDir(folder).filePath(safeFileName(qs(fileStem)) + QStringLiteral(".pdf"));
}

QtPrintDevice::QtPrintDevice(QWidget* owner, Dialogs& dlg, const PrintOutputChoice& choice, bool interactive)
    : m_owner(owner), m_dlg(dlg), m_choice(choice), m_interactive(interactive) {}

QtPrintDevice::~QtPrintDevice() {
    if (m_cursor) QApplication::restoreOverrideCursor();
}

bool QtPrintDevice::setUpPrinter(const PrintoutInfo& info) {
    if (m_choice.pdf) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
    } else {
        m_printer =
            std::make_unique<QPrinter>(QPrinterInfo::printerInfo(m_choice.printerName), QPrinter::HighResolution);
    }
    m_printer->setDocName(qs(info.documentName));
    m_printer->setCreator(QString::fromUtf8(kProgramName));
    m_printer->setPageOrientation(QPageLayout::Portrait);
    m_printer->setPageSize(QPageSize(info.paper == kPaperB5 ? QPageSize::JisB5 : QPageSize::A4));
    if (m_choice.pdf) {
        // A file has no unprintable border; keep the one of an ordinary printer.
        m_printer->setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
        m_pdfPath = m_choice.pdfPath;
        if (m_pdfPath.isEmpty()) {
            const QString proposed = ProposedPdfPath(info.fileStem);
            if (m_interactive && !m_choice.preview) {
                m_pdfPath = QFileDialog::getSaveFileName(m_owner, QStringLiteral("PDFファイルに保存"), proposed,
                                                         QStringLiteral("PDFファイル (*.pdf)"));
                if (m_pdfPath.isEmpty()) return false;
                if (!m_pdfPath.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
                    m_pdfPath += QStringLiteral(".pdf");
            } else {
                m_pdfPath = proposed;
            }
        }
        m_printer->setOutputFileName(m_pdfPath);
    }
    return true;
}

Printer* QtPrintDevice::BeginPrintout(const PrintoutInfo& info) {
    m_stop = false;
    m_pagesCompleted = 0;
    m_pages.reset();
    m_pdfPath.clear();
    m_documentName = qs(info.documentName);
    if (!setUpPrinter(info)) return nullptr;
    m_pages = std::make_unique<QtPagePrinter>(*m_printer, m_interactive && m_choice.preview);
    if (m_interactive && !m_cursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_cursor = true;
    }
    return m_pages.get();
}

bool QtPrintDevice::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) m_stop = true;
        return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
        // Nothing else takes input while the pages are being made.
        return true;
    default:
        return false;
    }
}

bool QtPrintDevice::StopRequested() {
    if (!m_interactive) return false;
    qApp->installEventFilter(this);
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    return m_stop;
}

int QtPrintDevice::showPreview() {
    QPrintPreviewDialog preview(m_printer.get(), m_owner);
    preview.setWindowTitle(QStringLiteral("プレビュー － ") + m_documentName);
    const std::vector<PrintPage>& pages = m_pages->Pages();
    const std::vector<PrintFont>& fonts = m_pages->Fonts();
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&pages, &fonts](QPrinter* printer) {
        QPainter painter(printer);
        PaintPages(painter, *printer, pages, fonts);
    });
    preview.resize(900, 1000);
    // Accepted once the pages were sent to a printer from the preview.
    return preview.exec() == QDialog::Accepted ? 0 : 1;
}

int QtPrintDevice::EndPrintout(bool completed) {
    if (m_cursor) {
        QApplication::restoreOverrideCursor();
        m_cursor = false;
    }
    if (!m_pages) return -1;
    m_pagesCompleted = m_pages->PagesCompleted();
    int result = 0;
    if (m_interactive && m_choice.preview) {
        result = completed && m_pagesCompleted > 0 ? showPreview() : 1;
    } else if (!m_pages->Finish()) {
        m_dlg.MsgBox(m_pages->ErrorText(), kPrintErrorTitle, MsgIcon::Exclamation, MsgButtons::OK);
        result = -1;
    } else if (m_pagesCompleted == 0) {
        result = 1;
    }
    m_pages.reset();
    m_printer.reset();
    return result;
}

} // namespace mrt
