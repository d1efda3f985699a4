// mrtkel-tool medical: the year's medical expenses per person and payee, as the tax return's
// medical-expense form wants them, listed, as CSV or written as the form's spreadsheet.
#include "ledger/LineRules.h"
#include "medical/MedicalExport.h"
#include "tool/ToolCommands.h"
#include "tool/ToolCsv.h"
#include "tool/ToolLedger.h"
#include "tool/ToolText.h"
#include "totals/TotalsText.h"

#include <iostream>

namespace mrt {
namespace {

std::string personText(const std::string& p) {
    return p.empty() ? "（不明）" : p;
}

void writeText(const MedicalForm& form, int64_t income) {
    std::cout << form.year << "年 医療費の集計\n";
    std::cout << padded("医療を受けた人", 16) << padded("支払先", 32) << padded("医療費の区分", 18)
              << rightAligned("金額", 12) << rightAligned("件数", 6) << "\n";
    for (const auto& row : form.rows)
        std::cout << padded(personText(row.person), 16) << padded(row.payee, 32)
                  << padded(MedicalCategoryText(row.category), 18) << rightAligned(GroupedAmount(row.amount), 12)
                  << rightAligned(std::to_string(row.lines), 6) << "\n";
    std::cout << "\n";
    for (const auto& [person, sums] : MedicalSumsPerPerson(form))
        std::cout << padded(personText(person), 16) << "支払 " << GroupedAmount(sums.paid) << "円\n";
    MedicalSums s = SumMedicalForm(form, income);
    std::cout << "支払った医療費 " << GroupedAmount(s.paid) << "円  補填 " << GroupedAmount(s.reimbursed) << "円  差引 "
              << GroupedAmount(s.threshold) << "円" << (income < 0 ? "（所得の指定なし）" : "") << "\n";
    std::cout << "医療費控除額の見込み " << GroupedAmount(s.deduction) << "円\n";
}

// medical YYYY [--items A,B] [--persons A,B] [--income N] [--out FILE.xlsx] [--csv [--encoding E]].
// Exit 0; 1 when the ledger cannot be read, the year has no medical lines or the file could not be
// written; 2 on a usage error.
int runMedical(ToolContext& ctx) {
    const std::vector<std::string> valueOptions = {"--items", "--persons", "--income", "--out", "--encoding"};
    std::vector<std::string> known = valueOptions;
    known.push_back("--csv");
    const std::vector<std::string> words = ctx.positional(valueOptions);
    long year = 0, income = -1;
    if (!ctx.unknownOption(known).empty() || words.size() != 1 || !parseWholeArg(words[0], year) ||
        year < kFirstLedgerYear || year > kLastLedgerYear) {
        std::cerr << "usage: mrtkel-tool medical YYYY [--items 医療費,…] [--persons 名前,…] [--income N] "
                     "[--out FILE.xlsx] [--csv]\n";
        return 2;
    }
    if (auto t = ctx.option("--income"); t && (!parseWholeArg(*t, income) || income < 0)) {
        std::cerr << "medical: --income には所得金額を 0 以上の整数で指定してください\n";
        return 2;
    }
    CsvEncoding enc;
    if (!ToolCsvEncoding(ctx, "medical", enc)) return 2;
    MedicalOptions opt;
    opt.year = static_cast<int>(year);
    if (auto items = ctx.option("--items")) opt.items = SplitNameList(*items);
    opt.persons = ctx.option("--persons") ? SplitNameList(*ctx.option("--persons")) : LoadMedicalPersons(ctx.home);
    opt.categories = LoadPayeeCategories(ctx.home);
    if (opt.items.empty()) {
        std::cerr << "medical: --items に項目名を指定してください\n";
        return 2;
    }
    if (!ctx.requireDataFolder("medical")) return 1;
    LedgerState ledger;
    if (!OpenToolLedger(ctx, ledger)) return 1;
    MedicalForm form;
    std::string why;
    if (CollectMedicalForm(ledger.index, opt, *ctx.dialogs, form, why) != 0) {
        std::cerr << "medical: 入出金データが読めません: " << why << "\n";
        return 1;
    }
    if (form.rows.empty()) {
        std::cerr << "medical: " << year << "年の医療費の支出はありません。何も書き出しません。\n";
        return 1;
    }
    for (const auto& row : form.rows)
        if (row.person.empty()) {
            std::cerr << "medical: 内訳に家族の名前がない支払があります（" << row.payee
                      << " ほか）。--persons で家族の名前を指定するか、画面で選んでください。\n";
            break;
        }
    if (auto out = ctx.option("--out")) {
        if (!WriteMedicalXlsx(ctx.argumentPath(*out), form, why)) {
            std::cerr << "medical: " << *out << " に書き出せません: " << why << "\n";
            return 1;
        }
        std::cerr << "medical: " << form.rows.size() << " 行を " << *out << " に書き出しました\n";
    }
    if (ctx.flag("--csv")) {
        CsvWriter csv;
        ToolCsvOutput stdoutCsv(csv, enc, "medical");
        WriteMedicalCsv(csv, form);
        return stdoutCsv.Finish() ? 0 : 1;
    }
    if (!ctx.option("--out")) writeText(form, income);
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(medical,
                 "medical YYYY [--items 医療費,…] [--persons 名前,…] [--income N] [--out FILE.xlsx] [--csv]: the "
                 "year's medical expenses per person and payee for the tax return's form",
                 mrt::runMedical);
