#pragma once
#include "print/Printer.h"
#include "ui/print/frmPr.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QPrinter;
class QWidget;

namespace mrt {

class Dialogs;
class QtPagePrinter;

// A PDF file name proposed for a printout: the file stem in ~/Documents (or the home folder).
QString ProposedPdfPath(const std::string& fileStem);

// The desktop's print device: a system printer or a PDF file as chosen in frmPr, the pages
// printed as they are completed, or first shown in the print preview, from which the user may
// print them. While pages are composed the pointer waits and [Esc] asks to stop.
class QtPrintDevice : public QObject, public PrintDevice {
    Q_OBJECT
public:
    // interactive false: no file question, no pointer, no preview (headless printing).
    QtPrintDevice(QWidget* owner, Dialogs& dlg, const PrintOutputChoice& choice, bool interactive = true);
    ~QtPrintDevice() override;

    Printer* BeginPrintout(const PrintoutInfo& info) override;
    bool StopRequested() override;
    int EndPrintout(bool completed) override;

    // The pages completed by the last printout.
    int PagesCompleted() const { return m_pagesCompleted; }
    // The PDF written by the last printout (empty for a printer).
    QString PdfPath() const { return m_pdfPath; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool setUpPrinter(const PrintoutInfo& info);
    int showPreview();

    QPointer<QWidget> m_owner;
    Dialogs& m_dlg;
    const PrintOutputChoice& m_choice;
    bool m_interactive;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QtPagePrinter> m_pages;
    QString m_documentName;
    bool m_landscape = false;
    QString m_pdfPath;
    bool m_stop = false;
    bool m_cursor = false;
    int m_pagesCompleted = 0;
};

} // namespace mrt
