#include "settings/IniRecord.h"

#include <cctype>
#include <cmath>

namespace mrt {
namespace {

struct ItemDef {
    int16_t IniRecord::*field;
    const char* label;
    bool boundsInLabel;
    int min, max, defaultValue;
    const char* help;
};

// The six rows of the settings window, in order.
const ItemDef kItems[] = {
    {&IniRecord::BlockMonths, "家計簿データの１ﾌﾞﾛｯｸあたり読込み月数 (", true, 2, 6, 3,
     "一度に読込み･入力できる最大月数を設定します。これ以上になるとﾌｧｲﾙから読み直します。"},
    {&IniRecord::MaxBlockLines, "１ﾌﾞﾛｯｸあたりの最大入力可能数 (", true, 100, 1500, 300,
     "１ブロック内に入力できる最大ﾃﾞｰﾀ数(行数)を設定します。これ以上は入力できません。"},
    {&IniRecord::DisplayRows, "家計簿データ入力画面の表示行数 (", true, 10, 30, 19,
     "家計簿入力画面で一度に表示できる行数を設定します。"},
    {&IniRecord::TaxRate, "消費税の税率設定 　( ％ )", false, 0, 20, 10,
     "家計簿入力時の消費税の自動計算に使用する消費税率を％単位で設定します。"},
    {&IniRecord::TwoColumnItemBox, "入出金[項目]選択Boxの２列表示 ( 0=無 : 1=有 )", false, 0, 1, 0,
     "家計簿入力時に、[項目名]選択Boxの２列表示(入金/出金)の有無を設定します。"},
    {&IniRecord::KeyInputMode, "キー入力方式選択（ 0=Windowsﾀｲﾌﾟ: 1=Dosﾀｲﾌﾟ）", false, 0, 1, 1,
     "キー入力方式を設定します。[Dosﾀｲﾌﾟ]では上書きﾓｰﾄﾞになります。([Insert]ｷｰも使用可)"},
};

// Numeric value of the leading number of a text: blanks, an optional sign, digits and an optional
// decimal part. Anything else ends the number; no digits at all is 0. Hex, exponents, "inf" and
// "nan" are not numbers here, so the value is always finite.
double leadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double v = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) v = v * 10 + (text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, scale /= 10)
            v += (text[i] - '0') * scale;
    }
    return negative ? -v : v;
}

} // namespace

std::vector<SettingsItem> SettingsItems(const IniRecord& rec) {
    std::vector<SettingsItem> rows;
    for (const ItemDef& d : kItems) {
        SettingsItem it;
        it.label = d.label;
        if (d.boundsInLabel) it.label += std::to_string(d.min) + "～" + std::to_string(d.max) + ")";
        it.min = d.min;
        it.max = d.max;
        it.value = std::to_string(rec.*d.field);
        it.help = d.help;
        it.helpLine = std::string(d.help) + "\r\n 入力例：" + std::to_string(d.defaultValue) +
                      "\r\n( [↑][↓]ｷｰ(またはｸﾘｯｸ)で訂正したい行へ移動して入力し、[登録]ﾎﾞﾀﾝを押してください。)";
        rows.push_back(std::move(it));
    }
    return rows;
}

void ApplySettingsItems(const std::vector<std::string>& texts, IniRecord& rec) {
    for (size_t i = 0; i < texts.size() && i < std::size(kItems); ++i) {
        double v = std::nearbyint(leadingNumber(texts[i]));
        if (v > 32767) v = 32767;
        if (v < -32768) v = -32768;
        rec.*kItems[i].field = static_cast<int16_t>(v);
    }
}

std::vector<std::pair<std::string, std::string>> SettingsFieldList(const IniRecord& r) {
    auto n = [](int16_t v) { return std::to_string(v); };
    return {
        {"KeyInputMode", n(r.KeyInputMode)},
        {"MainWindowState", n(r.MainWindowState)},
        {"TotalsWindowState", n(r.TotalsWindowState)},
        {"BlockMonths", n(r.BlockMonths)},
        {"MaxBlockLines", n(r.MaxBlockLines)},
        {"DisplayRows", n(r.DisplayRows)},
        {"ClosingDay", n(r.ClosingDay)},
        {"LedgerPrintTitle", r.LedgerPrintTitle},
        {"TotalsPrintTitle", r.TotalsPrintTitle},
        {"PrintUserName", r.PrintUserName},
        {"LedgerPaperSize", n(r.LedgerPaperSize)},
        {"LedgerPrintColumn", n(r.LedgerPrintColumn)},
        {"LedgerPrintLine", n(r.LedgerPrintLine)},
        {"TotalsPaperSize", n(r.TotalsPaperSize)},
        {"TotalsPrintColumn", n(r.TotalsPrintColumn)},
        {"TotalsPrintLine", n(r.TotalsPrintLine)},
        {"TwoColumnItemBox", n(r.TwoColumnItemBox)},
        {"TaxRate", n(r.TaxRate)},
    };
}

} // namespace mrt
