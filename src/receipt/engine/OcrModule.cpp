// The character recogniser of receipts, a module of its own: it links tesseract and leptonica
// (and through them some fifty libraries), which the program and the tool load only when a receipt
// is read. The interface is plain C, so nothing of the C++ library crosses it.
#include "receipt/engine/OcrModule.h"
#include "receipt/ReceiptOcr.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <leptonica/allheaders.h>
#include <memory>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

namespace mrt {

struct OcrEngine {
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
    // Leptonica hands back the same image as a new reference (a clone) where nothing changed:
    // that reference is dropped, not leaked.
    void reset(PIX* x) {
        if (x == p) {
            pixDestroy(&x);
            return;
        }
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

namespace {

constexpr const char* kNoModelMessage =
    "文字認識の日本語データが見つかりません。パッケージ tesseract-ocr-jpn と tesseract-ocr-script-jpan "
    "を入れてください。";

void putText(char* out, size_t size, const std::string& text) {
    if (!out || size == 0) return;
    const size_t n = std::min(size - 1, text.size());
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

bool readImage(OcrEngine* engine, const std::string& path, std::vector<ReadLine>& lines, std::string& error,
               float unsureBelow) {
    lines.clear();

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
    engine->api.SetImage(bin.p);
    engine->api.SetSourceResolution(300);
    if (engine->api.Recognize(nullptr) != 0) {
        error = "文字を認識できません: " + path;
        return false;
    }
    collectLines(engine->api, lines, unsureBelow);
    engine->api.Clear();
    return true;
}

} // namespace
} // namespace mrt

extern "C" {

void* mrtkel_ocr_open(char* error, size_t errorSize, char* language, size_t languageSize) {
    using namespace mrt;

    useFreeCores();
    auto engine = std::make_unique<OcrEngine>();
    for (const char* lang : {"Japanese", "script/Japanese", "jpn"}) {
        if (engine->api.Init(nullptr, lang, tesseract::OEM_LSTM_ONLY) == 0) {
            engine->language = lang;
            break;
        }
    }
    if (engine->language.empty()) {
        putText(error, errorSize, kNoModelMessage);
        return nullptr;
    }
    engine->api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    // Receipts are dark print on light paper: no second pass over inverted lines.
    engine->api.SetVariable("tessedit_do_invert", "0");
    engine->api.SetVariable("preserve_interword_spaces", "1");
    engine->api.SetVariable("debug_file", "/dev/null"); // the engine's notes on lines too small to read
    putText(language, languageSize,
            engine->language.substr(
                engine->language.rfind('/') == std::string::npos ? 0 : engine->language.rfind('/') + 1));
    return engine.release();
}

int mrtkel_ocr_read(void* handle, const char* path, float unsureBelow, mrtkel_ocr_line_fn line, void* context,
                    char* error, size_t errorSize) {
    using namespace mrt;
    std::vector<mrt::ReadLine> lines;
    std::string why;
    if (!mrt::readImage(static_cast<mrt::OcrEngine*>(handle), path, lines, why, unsureBelow)) {
        putText(error, errorSize, why);
        return -1;
    }
    std::vector<size_t> ranges;
    for (const mrt::ReadLine& l : lines) {
        ranges.clear();
        for (const auto& [b, e] : l.unsure) {
            ranges.push_back(b);
            ranges.push_back(e);
        }
        line(context, l.text.c_str(), ranges.data(), l.unsure.size());
    }
    return 0;
}

void mrtkel_ocr_close(void* handle) {
    auto* engine = static_cast<mrt::OcrEngine*>(handle);
    if (!engine) return;
    engine->api.End();
    delete engine;
}

} // extern "C"
