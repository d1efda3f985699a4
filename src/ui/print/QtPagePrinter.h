#pragma once
#include "print/RecordingPrinter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>
#include <memory>
#include <vector>

class QPrinter;

namespace mrt {

struct DeviceFonts;

// Twips of one unit of a printout's pen width (1/300 inch): frames of 6 print about 0.5 mm.
constexpr double kTwipsPerPenUnit = 4.8;

// Measures texts in a printer's fonts, in twips, as the printer will print them.
class QtPrinterMetrics : public TextMetrics {
public:
    explicit QtPrinterMetrics(QPrinter& printer) : m_printer(printer) {}
    double Width(const std::string& face, int points, const std::string& text) const override;
    double Height(const std::string& face, int points, const std::string& text) const override;

private:
    const QFontMetricsF& metrics(const std::string& face, int points) const;
    QPrinter& m_printer;
    mutable std::vector<std::pair<std::pair<std::string, int>, std::unique_ptr<QFontMetricsF>>> m_cache;
};

// The font a printout names, at its size (the face is mapped onto an installed one).
QFont PrintQFont(const std::string& face, int points);

// Draws recorded pages onto a painter that is active on `printer`, each page after the first on
// a new sheet. False when the printer reports an error.
bool PaintPages(QPainter& painter, QPrinter& printer, const std::vector<PrintPage>& pages,
                const std::vector<PrintFont>& fonts);

// The printer of the desktop program: measures with the QPrinter's fonts and, unless it only
// collects pages for a preview, paints each completed page onto the QPrinter at once. The
// document is one job: the first page opens it, Finish() closes it.
class QtPagePrinter : public RecordingPrinter {
public:
    // collectOnly: keep the pages for a preview and paint nothing.
    QtPagePrinter(QPrinter& printer, bool collectOnly);
    ~QtPagePrinter() override;

    // Closes the document when it was opened. False when the device reports an error (its text
    // in ErrorText()).
    bool Finish();
    // True when at least one page reached the device.
    bool Started() const { return m_painter.isActive() || m_finished; }

protected:
    bool DeliverPage(const PrintPage& page) override;

private:
    QtPrinterMetrics m_metrics;
    QPrinter& m_printer;
    QPainter m_painter;
    std::unique_ptr<DeviceFonts> m_fonts;
    bool m_collectOnly;
    bool m_finished = false;
    int m_delivered = 0;
};

} // namespace mrt
