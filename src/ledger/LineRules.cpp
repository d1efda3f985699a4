#include "ledger/LineRules.h"

#include "ledger/AmountExpr.h"
#include "ledger/IoRecord.h"
#include "names/NameTables.h"
#include "util/Cp932.h"
#include "util/DateText.h"

namespace mrt {
namespace {

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

} // namespace

LineDateFault CheckLineDate(int year, int month, int day, int32_t start) {
    if (!IsLedgerYear(year) || !IsValidDate(year, month, day)) return LineDateFault::Bad;
    if (start != 0 && DateNum(year, month, day) < start) return LineDateFault::BeforeStart;
    return LineDateFault::None;
}

const char* LineDateMessage(LineDateFault fault) {
    switch (fault) {
    case LineDateFault::Bad:
        return kBadDateMessage;
    case LineDateFault::BeforeStart:
        return kBeforeStartMessage;
    default:
        return "";
    }
}

LineAmountFault ReadAmountText(std::string_view text, int taxRate, int32_t& amount) {
    if (text.find_first_not_of(' ') == std::string_view::npos) {
        amount = 0;
        return LineAmountFault::None;
    }
    if (!IsAmountText(text)) return LineAmountFault::NotAnAmount;
    std::string error;
    const int32_t value = EvalAmount(std::string(text), taxRate, &error);
    if (error == kTaxRateError) return LineAmountFault::BadRate;
    if (!IsWholeAmountExpr(text)) return LineAmountFault::NotAnAmount;
    if (!error.empty()) return LineAmountFault::Refused;
    amount = value;
    return LineAmountFault::None;
}

LineAmountFault CheckLineAmount(std::string_view text, int taxRate, int32_t& amount) {
    int32_t value = 0;
    if (LineAmountFault fault = ReadAmountText(text, taxRate, value); fault != LineAmountFault::None) return fault;
    if (!IsLedgerAmount(value)) return LineAmountFault::Refused;
    amount = value;
    return LineAmountFault::None;
}

const char* LineAmountMessage(LineAmountFault fault) {
    return fault == LineAmountFault::BadRate ? kTaxRateRangeMessage : kAmountRangeMessage;
}

LineSideFault CheckLineSide(const IoRecord& line) {
    if (line.Income != 0 && line.Expense != 0) return LineSideFault::BothAmounts;
    if (line.Income == 0 && line.Expense == 0) return LineSideFault::NoAmount;
    return LineSideFault::None;
}

std::string LineSideMessage(LineSideFault fault) {
    switch (fault) {
    case LineSideFault::BothAmounts:
        return "入金と出金の両方に金額があります。";
    case LineSideFault::NoAmount:
        return "金額が 0 のため行は追加されません。";
    default:
        return {};
    }
}

int LineSideOf(const IoRecord& line) {
    return line.Income != 0 ? kIncomeKind : kExpenseKind;
}

LineItemFault CheckLineItem(const NameTables& names, const IoRecord& line) {
    LineItemFault fault;
    if (line.ItemName.empty()) {
        fault.kind = LineItemFault::Missing;
    } else if (FindItemPosition(names, line.ItemName, LineSideOf(line)) <= 0) {
        fault.kind = LineItemFault::NotRegistered;
        fault.side = LineSideOf(line);
    }
    return fault;
}

std::string LineItemMessage(const IoRecord& line, const LineItemFault& fault) {
    switch (fault.kind) {
    case LineItemFault::Missing:
        return "項目名がありません。";
    case LineItemFault::NotRegistered:
        return "項目名「" + line.ItemName + "」は" + (fault.side == kIncomeKind ? "入金項目名" : "出金項目名") +
               "に登録されていません。";
    default:
        return {};
    }
}

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
