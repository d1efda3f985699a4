#include "receipt/ReceiptOcr.h"

#include "receipt/engine/OcrModule.h"

#include <climits>
#include <dlfcn.h>
#include <unistd.h>

namespace mrt {

bool ReceiptReadingBuiltIn() {
#ifdef MRTKEL_OCR_MODULE_NAME
    return true;
#else
    return false;
#endif
}

// The recogniser module, loaded at the first read: the engine's libraries cost every start of the
// program and the tool a noticeable time otherwise.
struct ReceiptReader::Engine {
    void* module = nullptr;
    void* engine = nullptr;
    decltype(&mrtkel_ocr_read) read = nullptr;
    decltype(&mrtkel_ocr_close) close = nullptr;
    std::string language;
};

namespace {

#ifdef MRTKEL_OCR_MODULE_NAME
// The module beside the executable (the build tree), else where the package installs it.
void* openModule(std::string& why) {
    std::string candidates[2];
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        std::string dir(exe, size_t(n));
        candidates[0] = dir.substr(0, dir.rfind('/') + 1) + MRTKEL_OCR_MODULE_NAME;
    }
    candidates[1] = MRTKEL_OCR_MODULE_INSTALLED;
    for (const std::string& path : candidates) {
        if (path.empty() || ::access(path.c_str(), F_OK) != 0) continue;
        if (void* m = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return m;
        why = ::dlerror();
        return nullptr;
    }
    why = std::string(MRTKEL_OCR_MODULE_NAME) + " がありません";
    return nullptr;
}
#endif

} // namespace

ReceiptReader::ReceiptReader() = default;

ReceiptReader::~ReceiptReader() {
    if (m_engine && m_engine->engine) m_engine->close(m_engine->engine);
    // The module stays loaded: the engine's libraries do not all support being unloaded.
}

bool ReceiptReader::Load(std::string& error) {
    if (m_engine) return true;
#ifdef MRTKEL_OCR_MODULE_NAME
    std::string why;
    auto e = std::make_unique<Engine>();
    e->module = openModule(why);
    if (!e->module) {
        error = "文字認識のモジュールを読み込めません（" + why +
                "）。パッケージ tesseract-ocr と "
                "libtesseract5 が入っているか確かめてください。";
        return false;
    }
    auto open = reinterpret_cast<decltype(&mrtkel_ocr_open)>(::dlsym(e->module, "mrtkel_ocr_open"));
    e->read = reinterpret_cast<decltype(&mrtkel_ocr_read)>(::dlsym(e->module, "mrtkel_ocr_read"));
    e->close = reinterpret_cast<decltype(&mrtkel_ocr_close)>(::dlsym(e->module, "mrtkel_ocr_close"));
    if (!open || !e->read || !e->close) {
        error = "文字認識のモジュールが壊れています。";
        return false;
    }
    char message[512] = "", language[64] = "";
    e->engine = open(message, sizeof message, language, sizeof language);
    if (!e->engine) {
        error = message;
        return false;
    }
    e->language = language;
    m_engine = std::move(e);
    return true;
#else
    error = "このプログラムはレシートの文字認識なしで作られています（tesseract と leptonica の開発パッケージを入れて"
            "作り直してください）。";
    return false;
#endif
}

std::string ReceiptReader::Language() const {
    return m_engine ? m_engine->language : std::string();
}

bool ReceiptReader::Read(const std::string& path, std::vector<ReadLine>& lines, std::string& error, float unsureBelow) {
    lines.clear();
    if (!Load(error)) return false;
    const auto collect = [](void* context, const char* text, const size_t* unsure, size_t count) {
        auto& out = *static_cast<std::vector<ReadLine>*>(context);
        ReadLine line{text, {}};
        for (size_t k = 0; k < count; ++k)
            line.unsure.emplace_back(unsure[2 * k], unsure[2 * k + 1]);
        out.push_back(std::move(line));
    };
    char message[512] = "";
    if (m_engine->read(m_engine->engine, path.c_str(), unsureBelow, collect, &lines, message, sizeof message) != 0) {
        lines.clear();
        error = message;
        return false;
    }
    return true;
}

} // namespace mrt
