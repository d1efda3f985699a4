#include "receipt/ReceiptOcr.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>

#ifdef MRTKEL_HAVE_TESSERACT
#include <dlfcn.h>
#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>
#endif

namespace mrt {

namespace {

constexpr const char* kNoModelMessage =
    "文字認識の日本語データが見つかりません。パッケージ tesseract-ocr-jpn と tesseract-ocr-script-jpan "
    "を入れてください。";

uint32_t readU(const std::string& b, size_t at, int n, bool little) {
    uint32_t v = 0;
    for (int k = 0; k < n; ++k) {
        const uint32_t byte = static_cast<unsigned char>(b[at + k]);
        v |= little ? byte << (8 * k) : byte << (8 * (n - 1 - k));
    }
    return v;
}

} // namespace

int ExifOrientation(const std::string& b) {
    if (b.size() < 4 || static_cast<unsigned char>(b[0]) != 0xFF || static_cast<unsigned char>(b[1]) != 0xD8) return 1;
    size_t at = 2;
    while (at + 4 <= b.size() && static_cast<unsigned char>(b[at]) == 0xFF) {
        const int marker = static_cast<unsigned char>(b[at + 1]);
        const size_t len = readU(b, at + 2, 2, false);
        if (marker == 0xDA || len < 2) break; // the image data starts: no EXIF before it
        const size_t seg = at + 4;
        if (marker == 0xE1 && seg + 14 <= b.size() && b.compare(seg, 6, std::string("Exif\0\0", 6)) == 0) {
            const size_t tiff = seg + 6;
            const bool little = b[tiff] == 'I';
            const size_t ifd = tiff + readU(b, tiff + 4, 4, little);
            if (ifd + 2 > b.size()) return 1;
            const uint32_t count = readU(b, ifd, 2, little);
            for (uint32_t e = 0; e < count; ++e) {
                const size_t entry = ifd + 2 + 12 * e;
                if (entry + 12 > b.size()) return 1;
                if (readU(b, entry, 2, little) == 0x0112) {
                    const uint32_t v = readU(b, entry + 8, 2, little);
                    return v >= 1 && v <= 8 ? int(v) : 1;
                }
            }
            return 1;
        }
        at = seg + len - 2;
    }
    return 1;
}

#ifdef MRTKEL_HAVE_TESSERACT

bool ReceiptReadingBuiltIn() {
    return true;
}

struct ReceiptReader::Engine {
    tesseract::TessBaseAPI api;
    std::string language;
};

namespace {

struct PixHolder {
    PIX* p = nullptr;
    explicit PixHolder(PIX* x = nullptr) : p(x) {}
    ~PixHolder() { pixDestroy(&p); }
    PixHolder(const PixHolder&) = delete;
    PixHolder& operator=(const PixHolder&) = delete;
    void reset(PIX* x) {
        if (x == p) return;
        pixDestroy(&p);
        p = x;
    }
};

// The recogniser asks for many threads; on a busy two-core machine they wait on each other more
// than they help. With dynamic adjustment the OpenMP runtime the library brings (when it has one)
// gives a parallel part only the cores the load average leaves free.
void useFreeCores() {
    using SetDynamic = void (*)(int);
    if (auto f = reinterpret_cast<SetDynamic>(dlsym(RTLD_DEFAULT, "omp_set_dynamic"))) f(1);
}

// The bounding box of the paper: the rows where most pixels are bright, then the columns where
// most pixels of those rows are bright, moved in by 1 % so that no edge of the paper is read.
BOX* paperBox(PIX* gray) {
    const l_int32 w = pixGetWidth(gray), h = pixGetHeight(gray);
    const auto bright = [&](l_int32 x, l_int32 y) {
        return GET_DATA_BYTE(pixGetData(gray) + y * pixGetWpl(gray), x) >= 150;
    };
    const auto span = [](const std::vector<int>& v, int across, int& lo, int& hi) {
        lo = 0;
        hi = int(v.size()) - 1;
        while (lo < hi && v[lo] * 2 < across)
            ++lo;
        while (hi > lo && v[hi] * 2 < across)
            --hi;
    };
    std::vector<int> rows(h, 0), cols(w, 0);
    for (l_int32 y = 0; y < h; ++y)
        for (l_int32 x = 0; x < w; ++x)
            rows[y] += bright(x, y);
    int y0, y1, x0, x1;
    span(rows, w, y0, y1);
    if (y1 - y0 < h / 8) {
        y0 = 0;
        y1 = h - 1;
    }
    for (l_int32 y = y0; y <= y1; ++y)
        for (l_int32 x = 0; x < w; ++x)
            cols[x] += bright(x, y);
    span(cols, y1 - y0 + 1, x0, x1);
    if (x1 - x0 < w / 8) {
        x0 = 0;
        x1 = w - 1;
    }
    const int inset = std::max(1, (x1 - x0) / 100);
    if (x0 > 0) x0 += inset;
    if (x1 < w - 1) x1 -= inset;
    if (y0 > 0) y0 += inset;
    if (y1 < h - 1) y1 -= inset;
    return boxCreate(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
}

// Appends the recognised lines: words of Latin letters and digits keep a blank between them,
// Japanese characters none (the engine splits them into single-character words).
void collectLines(tesseract::TessBaseAPI& api, std::vector<ReadLine>& lines, float unsureBelow) {
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it) return;
    const auto level = tesseract::RIL_SYMBOL;
    char32_t lastWordEnd = 0;
    do {
        if (it->Empty(level)) continue;
        if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE) || lines.empty()) {
            lines.push_back({});
            lastWordEnd = 0;
        }
        std::unique_ptr<char[]> sym(it->GetUTF8Text(level));
        if (!sym) continue;
        std::string text(sym.get());
        ReadLine& line = lines.back();
        const unsigned char first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
        if (it->IsAtBeginningOf(tesseract::RIL_WORD) && lastWordEnd < 0x80 && lastWordEnd != 0 && first < 0x80 &&
            first != 0)
            line.text += ' ';
        const size_t begin = line.text.size();
        line.text += text;
        if (it->Confidence(level) < unsureBelow) line.unsure.emplace_back(begin, line.text.size());
        lastWordEnd = first < 0x80 ? char32_t(static_cast<unsigned char>(text.back())) : 0x3000;
    } while (it->Next(level));
}

} // namespace

ReceiptReader::ReceiptReader() = default;
ReceiptReader::~ReceiptReader() {
    if (m_engine) m_engine->api.End();
}

bool ReceiptReader::Load(std::string& error) {
    if (m_engine) return true;
    useFreeCores();
    auto engine = std::make_unique<Engine>();
    for (const char* lang : {"Japanese", "script/Japanese", "jpn"}) {
        if (engine->api.Init(nullptr, lang, tesseract::OEM_LSTM_ONLY) == 0) {
            engine->language = lang;
            break;
        }
    }
    if (engine->language.empty()) {
        error = kNoModelMessage;
        return false;
    }
    engine->api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    // Receipts are dark print on light paper: no second pass over inverted lines.
    engine->api.SetVariable("tessedit_do_invert", "0");
    engine->api.SetVariable("preserve_interword_spaces", "1");
    engine->api.SetVariable("debug_file", "/dev/null"); // the engine's notes on lines too small to read
    m_engine = std::move(engine);
    return true;
}

std::string ReceiptReader::Language() const {
    if (!m_engine) return {};
    const std::string& l = m_engine->language;
    return l.substr(l.rfind('/') == std::string::npos ? 0 : l.rfind('/') + 1);
}

bool ReceiptReader::Read(const std::string& path, std::vector<ReadLine>& lines, std::string& error, float unsureBelow) {
    lines.clear();
    if (!Load(error)) return false;
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            error = "画像ファイルを開けません: " + path;
            return false;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    PixHolder pix(pixReadMem(reinterpret_cast<const l_uint8*>(bytes.data()), bytes.size()));
    if (!pix.p) {
        error = "画像として読めません（PNG、JPEG、TIFF、BMP の画像を選んでください）: " + path;
        return false;
    }
    // Upright by the camera's orientation tag.
    switch (ExifOrientation(bytes)) {
    case 2:
        pix.reset(pixFlipLR(nullptr, pix.p));
        break;
    case 3:
        pix.reset(pixRotateOrth(pix.p, 2));
        break;
    case 4:
        pix.reset(pixFlipTB(nullptr, pix.p));
        break;
    case 5:
        pix.reset(pixFlipLR(nullptr, PixHolder(pixRotateOrth(pix.p, 1)).p));
        break;
    case 6:
        pix.reset(pixRotateOrth(pix.p, 1));
        break;
    case 7:
        pix.reset(pixFlipLR(nullptr, PixHolder(pixRotateOrth(pix.p, 3)).p));
        break;
    case 8:
        pix.reset(pixRotateOrth(pix.p, 3));
        break;
    default:
        break;
    }
    PixHolder gray(pixConvertTo8(pix.p, 0));
    if (!gray.p) {
        error = "画像の色の形式を扱えません: " + path;
        return false;
    }
    // Large photos: about 1,600 pixels across is plenty for receipt print and much faster.
    if (pixGetWidth(gray.p) > 2400)
        gray.reset(pixScale(gray.p, 1600.0f / pixGetWidth(gray.p), 1600.0f / pixGetWidth(gray.p)));
    // Crop to the paper, even out shadows (the paper's background to one grey), then straighten by
    // the text lines; the engine's own threshold then sees clean print on an even background.
    {
        BOX* box = paperBox(gray.p);
        if (PIX* cropped = pixClipRectangle(gray.p, box, nullptr)) gray.reset(cropped);
        boxDestroy(&box);
    }
    PIX* binary = pixBackgroundNormSimple(gray.p, nullptr, nullptr);
    if (!binary) {
        error = "画像の明るさをそろえられません: " + path;
        return false;
    }
    PixHolder bin(binary);
    if (PIX* straight = pixDeskew(bin.p, 0)) bin.reset(straight);
    m_engine->api.SetImage(bin.p);
    m_engine->api.SetSourceResolution(300);
    if (m_engine->api.Recognize(nullptr) != 0) {
        error = "文字を認識できません: " + path;
        return false;
    }
    collectLines(m_engine->api, lines, unsureBelow);
    m_engine->api.Clear();
    return true;
}

#else

bool ReceiptReadingBuiltIn() {
    return false;
}

struct ReceiptReader::Engine {};
ReceiptReader::ReceiptReader() = default;
ReceiptReader::~ReceiptReader() = default;

bool ReceiptReader::Load(std::string& error) {
    error = "このプログラムはレシートの文字認識なしで作られています（tesseract と leptonica の開発パッケージを入れて"
            "作り直してください）。";
    return false;
}

std::string ReceiptReader::Language() const {
    return {};
}

bool ReceiptReader::Read(const std::string&, std::vector<ReadLine>& lines, std::string& error, float) {
    lines.clear();
    return Load(error);
}

#endif

} // namespace mrt
