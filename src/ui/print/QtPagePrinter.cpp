#include "ui/print/QtPagePrinter.h"

#include "ui/dialogs/QtText.h"

#include <QGlyphRun>
#include <QHash>
#include <QPen>
#include <QPrinter>
#include <QRawFont>

namespace mrt {

namespace {

// Device pixels per twip.
double scaleOf(const QPrinter& printer) {
    return printer.resolution() / 1440.0;
}

QString deviceError(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("PDFファイル「%1」に書き込めません。").arg(printer.outputFileName());
    return QStringLiteral("プリンタ「%1」に出力できません。").arg(printer.printerName());
}

} // namespace

QFont PrintQFont(const std::string& face, int points) {
    QFont f(qs(face));
    f.setPointSize(points > 0 ? points : 10);
    f.setStyleStrategy(QFont::PreferOutline);
    // Printouts rely on the font's own widths: a double-byte character is two "5" wide.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

const QFontMetricsF& QtPrinterMetrics::metrics(const std::string& face, int points) const {
    for (const auto& [key, fm] : m_cache)
        if (key.first == face && key.second == points) return *fm;
    m_cache.emplace_back(std::make_pair(face, points),
                         std::make_unique<QFontMetricsF>(PrintQFont(face, points), &m_printer));
    return *m_cache.back().second;
}

double QtPrinterMetrics::Width(const std::string& face, int points, const std::string& text) const {
    return metrics(face, points).horizontalAdvance(qs(text)) / scaleOf(m_printer);
}

double QtPrinterMetrics::Height(const std::string&, int points, const std::string&) const {
    // The em of the font: the faces the printouts name are one em high, and their page layouts
    // (55 rows on A4) count on it; the IPA faces standing in for them add a tenth for descenders.
    return points * 20.0;
}

// Fonts of a printout for one device, each found once: the font, its face at the device's
// resolution with the glyphs of the characters met so far, and where its glyphs stand below a
// text's top.
struct DeviceFonts {
    struct Glyph {
        quint32 index = 0; // 0: the face has no glyph for the character
        qreal advance = 0;
    };
    struct Face {
        QRawFont raw;
        QHash<char16_t, Glyph> glyphs;
        const Glyph& glyph(QChar c) {
            auto it = glyphs.find(c.unicode());
            if (it != glyphs.end()) return *it;
            Glyph g;
            int n = 1;
            QPointF advance;
            if (raw.glyphIndexesForChars(&c, 1, &g.index, &n) && n == 1 &&
                raw.advancesForGlyphIndexes(&g.index, &advance, 1))
                g.advance = advance.x();
            else
                g.index = 0;
            return *glyphs.insert(c.unicode(), g);
        }
    };
    std::vector<QFont> fonts;
    std::vector<Face> faces;
    std::vector<double> ascents;
    void update(const std::vector<PrintFont>& wanted, QPrinter& printer) {
        while (fonts.size() < wanted.size()) {
            const PrintFont& f = wanted[fonts.size()];
            fonts.emplace_back(PrintQFont(f.face, f.points), &printer);
            faces.push_back({QRawFont::fromFont(fonts.back()), {}});
            ascents.push_back(QFontMetricsF(fonts.back(), &printer).ascent());
        }
    }
};

namespace {

// A text as glyphs of one face placed by their advances, as a painter lays out a text of a font
// that holds all its characters; false (nothing drawn) when the face lacks a character, which the
// painter's own layout then takes from another font. Blanks only move the next glyph: the cells of
// a printout are padded with them, and a PDF would otherwise hold most of its glyphs for nothing.
class GlyphPainter {
public:
    bool draw(QPainter& painter, DeviceFonts::Face& face, const QPointF& at, const QString& text) {
        if (!face.raw.isValid()) return false;
        m_glyphs.clear();
        m_positions.clear();
        qreal x = 0;
        for (QChar c : text) {
            if (c.isSurrogate()) return false;
            const DeviceFonts::Glyph& g = face.glyph(c);
            if (g.index == 0) return false;
            if (c != QLatin1Char(' ')) {
                m_glyphs.append(g.index);
                m_positions.append(QPointF(x, 0));
            }
            x += g.advance;
        }
        if (m_glyphs.isEmpty()) return true;
        m_run.setRawFont(face.raw);
        m_run.setGlyphIndexes(m_glyphs);
        m_run.setPositions(m_positions);
        painter.drawGlyphRun(at, m_run);
        return true;
    }

private:
    QList<quint32> m_glyphs;
    QList<QPointF> m_positions;
    QGlyphRun m_run;
};

void paintPage(QPainter& painter, double s, const PrintPage& page, DeviceFonts& df) {
    int font = -1, pen = -1;
    GlyphPainter glyphs;
    for (const PrintOp& op : page.ops) {
        if (op.kind == PrintOp::Kind::Text) {
            const int f = op.font;
            const QPointF at(op.x1 * s, op.y1 * s + df.ascents[f]);
            const QString text = qs(op.text);
            if (glyphs.draw(painter, df.faces[f], at, text)) continue;
            if (f != font) {
                font = f;
                painter.setFont(df.fonts[font]);
            }
            painter.drawText(at, text);
        } else {
            if (op.pen != pen) {
                pen = op.pen;
                painter.setPen(QPen(Qt::black, std::max(1, pen) * kTwipsPerPenUnit * s, Qt::SolidLine, Qt::SquareCap,
                                    Qt::MiterJoin));
            }
            painter.drawLine(QPointF(op.x1 * s, op.y1 * s), QPointF(op.x2 * s, op.y2 * s));
        }
    }
}

} // namespace

bool PaintPages(QPainter& painter, QPrinter& printer, const std::vector<PrintPage>& pages,
                const std::vector<PrintFont>& fonts) {
    DeviceFonts df;
    df.update(fonts, printer);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage()) return false;
        paintPage(painter, scaleOf(printer), pages[i], df);
    }
    return printer.printerState() != QPrinter::Error;
}

QtPagePrinter::QtPagePrinter(QPrinter& printer, bool collectOnly)
    : RecordingPrinter(&m_metrics), m_metrics(printer), m_printer(printer), m_fonts(std::make_unique<DeviceFonts>()),
      m_collectOnly(collectOnly) {
    KeepPages(collectOnly);
}

QtPagePrinter::~QtPagePrinter() {
    if (m_painter.isActive()) m_painter.end();
}

bool QtPagePrinter::DeliverPage(const PrintPage& page) {
    if (m_collectOnly) return true;
    if (!m_painter.isActive()) {
        if (m_finished || !m_painter.begin(&m_printer)) {
            m_error = deviceError(m_printer).toStdString();
            return false;
        }
    } else if (!m_printer.newPage()) {
        m_error = deviceError(m_printer).toStdString();
        return false;
    }
    m_fonts->update(Fonts(), m_printer);
    paintPage(m_painter, scaleOf(m_printer), page, *m_fonts);
    if (m_printer.printerState() == QPrinter::Error) {
        m_error = deviceError(m_printer).toStdString();
        return false;
    }
    ++m_delivered;
    return true;
}

bool QtPagePrinter::Finish() {
    if (!m_painter.isActive()) return true;
    const bool ok = m_painter.end() && m_printer.printerState() != QPrinter::Error;
    m_finished = true;
    if (!ok) m_error = deviceError(m_printer).toStdString();
    return ok;
}

} // namespace mrt
