#include "ledger/LineRules.h"

#include "ledger/IoRecord.h"
#include "util/Cp932.h"

namespace mrt {
namespace {

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

} // namespace

int LineTextBytes(LineText field) {
    switch (field) {
    case LineText::Item:
        return kItemNameBytes;
    case LineText::Note:
        return kNoteBytes;
    default:
        return kShopNameBytes;
    }
}

const char* LineTextName(LineText field) {
    switch (field) {
    case LineText::Item:
        return "項目名";
    case LineText::Note:
        return "内訳・備考";
    default:
        return "店名・相手先";
    }
}

LineTextFault CheckLineText(LineText field, std::string_view text) {
    LineTextFault fault;
    if (std::string ch = FirstNonCp932Char(text); !ch.empty()) {
        fault.kind = LineTextFault::NotCp932;
        fault.character = std::move(ch);
    } else if (HasControlChar(text)) {
        fault.kind = LineTextFault::Control;
    } else if (AnsiByteLength(text) > LineTextBytes(field)) {
        fault.kind = LineTextFault::TooLong;
    }
    return fault;
}

std::string LineTextReason(LineText field, const LineTextFault& fault) {
    const int bytes = LineTextBytes(field);
    switch (fault.kind) {
    case LineTextFault::NotCp932:
        return "「" + fault.character + "」はファイルに保存できない文字です";
    case LineTextFault::Control:
        return "改行やタブなどの制御文字は入力できません";
    case LineTextFault::TooLong:
        return std::to_string(bytes) + " バイトまで(全角 " + std::to_string(bytes / 2) + " 文字)";
    default:
        return {};
    }
}

std::string LineTextMessage(LineText field, const LineTextFault& fault) {
    const std::string name = LineTextName(field);
    switch (fault.kind) {
    case LineTextFault::NotCp932:
        return NonCp932Refusal(fault.character, "入力");
    case LineTextFault::Control:
        return name + "に改行やタブなどの制御文字は入力できません。";
    case LineTextFault::TooLong:
        return name + "が長すぎます。" + name + "は " + std::to_string(LineTextBytes(field)) + " バイト(全角 " +
               std::to_string(LineTextBytes(field) / 2) + " 文字)までです。";
    default:
        return {};
    }
}

bool HasControlChar(std::string_view text) {
    for (unsigned char c : text)
        if (isControl(c)) return true;
    return false;
}

std::string ControlCharsToBlanks(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (isControl(static_cast<unsigned char>(c))) c = ' ';
    return TrimRight(out);
}

} // namespace mrt
