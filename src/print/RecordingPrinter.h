#pragma once
#include "print/Printer.h"

#include <string>
#include <vector>

namespace mrt {

// Measures text for a printer that has no device of its own.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual double Width(const std::string& face, int points, const std::string& text) const = 0;
    virtual double Height(const std::string& face, int points, const std::string& text) const = 0;
};

// The metrics of a fixed-pitch face whose double-byte characters are twice as wide as the
// single-byte ones: one CP932 byte is half a point size wide (points × 10 twips), a line is one
// point size high (points × 20 twips).
class ByteMetrics : public TextMetrics {
public:
    double Width(const std::string& face, int points, const std::string& text) const override;
    double Height(const std::string& face, int points, const std::string& text) const override;
};

// A font a page uses.
struct PrintFont {
    std::string face;
    int points = 0;
    bool operator==(const PrintFont&) const = default;
};

// One drawing of a page, in twips.
struct PrintOp {
    enum class Kind { Text, Line };
    Kind kind = Kind::Text;
    int font = 0; // Text: index into RecordingPrinter::Fonts()
    int pen = 1;  // Line: pen width
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string text;
};

struct PrintPage {
    std::vector<PrintOp> ops;
};

// A printer that keeps what is drawn, page by page. Pages without drawing are never completed,
// so a page break followed by the end of a job adds no page. Subclasses deliver each completed
// page to a device; tests read the pages.
class RecordingPrinter : public Printer {
public:
    // metrics: must outlive the printer; null = ByteMetrics.
    explicit RecordingPrinter(const TextMetrics* metrics = nullptr);

    bool SetFont(const std::string& face, int points) override;
    bool TextWidth(const std::string& text, double& twips) override;
    bool TextHeight(const std::string& text, double& twips) override;
    bool DrawText(double x, double y, const std::string& text) override;
    bool SetPenWidth(int width) override;
    bool DrawLine(double x1, double y1, double x2, double y2) override;
    bool NewPage() override;
    bool EndJob() override;
    std::string ErrorText() const override { return m_error; }

    // The completed pages (all of them unless KeepPages(false)), the page being drawn, the fonts
    // their texts name, and the number of jobs ended.
    const std::vector<PrintPage>& Pages() const { return m_pages; }
    const PrintPage& CurrentPage() const { return m_current; }
    const std::vector<PrintFont>& Fonts() const { return m_fonts; }
    int PagesCompleted() const { return m_completed; }
    int JobsEnded() const { return m_jobs; }
    void KeepPages(bool keep) { m_keep = keep; }

protected:
    // A page is complete; false when it could not be delivered (set m_error). The page then
    // stays the current one, so a retry delivers it again.
    virtual bool DeliverPage(const PrintPage& page);
    const PrintFont& CurrentFont() const { return m_fonts[m_font]; }
    const TextMetrics& Metrics() const { return *m_metrics; }
    std::string m_error;

private:
    bool completePage();

    ByteMetrics m_byteMetrics;
    const TextMetrics* m_metrics;
    std::vector<PrintFont> m_fonts;
    int m_font = 0;
    int m_pen = 1;
    PrintPage m_current;
    std::vector<PrintPage> m_pages;
    int m_completed = 0;
    int m_jobs = 0;
    bool m_keep = true;
};

} // namespace mrt
