#include "print/RecordingPrinter.h"

#include "util/Cp932.h"
#include "util/FontFaces.h"

namespace mrt {

double ByteMetrics::Width(const std::string&, int points, const std::string& text) const {
    return AnsiByteLength(text) * points * 10.0;
}

double ByteMetrics::Height(const std::string&, int points, const std::string&) const {
    return points * 20.0;
}

RecordingPrinter::RecordingPrinter(const TextMetrics* metrics) : m_metrics(metrics ? metrics : &m_byteMetrics) {
    m_fonts.push_back({kMinchoFace, 10});
}

bool RecordingPrinter::SetFont(const std::string& face, int points) {
    const PrintFont f{face, points};
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i] == f) {
            m_font = static_cast<int>(i);
            return true;
        }
    }
    m_fonts.push_back(f);
    m_font = static_cast<int>(m_fonts.size()) - 1;
    return true;
}

bool RecordingPrinter::TextWidth(const std::string& text, double& twips) {
    twips = m_metrics->Width(CurrentFont().face, CurrentFont().points, text);
    return true;
}

bool RecordingPrinter::TextHeight(const std::string& text, double& twips) {
    twips = m_metrics->Height(CurrentFont().face, CurrentFont().points, text);
    return true;
}

bool RecordingPrinter::DrawText(double x, double y, const std::string& text) {
    PrintOp op;
    op.kind = PrintOp::Kind::Text;
    op.font = m_font;
    op.x1 = x;
    op.y1 = y;
    op.text = text;
    m_current.ops.push_back(std::move(op));
    return true;
}

bool RecordingPrinter::SetPenWidth(int width) {
    m_pen = width;
    return true;
}

bool RecordingPrinter::DrawLine(double x1, double y1, double x2, double y2) {
    PrintOp op;
    op.kind = PrintOp::Kind::Line;
    op.pen = m_pen;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    m_current.ops.push_back(std::move(op));
    return true;
}

bool RecordingPrinter::completePage() {
    if (m_current.ops.empty()) return true;
    if (!DeliverPage(m_current)) return false;
    ++m_completed;
    if (m_keep) m_pages.push_back(std::move(m_current));
    m_current = PrintPage();
    return true;
}

bool RecordingPrinter::NewPage() {
    return completePage();
}

bool RecordingPrinter::EndJob() {
    if (!completePage()) return false;
    ++m_jobs;
    return true;
}

bool RecordingPrinter::DeliverPage(const PrintPage&) {
    return true;
}

} // namespace mrt
