// The ledger printout of a year (about 5,500 lines, 15 a day) composed and written into a PDF file
// through the desktop's printer back end.
#include "ledger/IoRecord.h"
#include "port/ConsoleDialogs.h"
#include "print/LedgerPrint.h"
#include "print/PrintOutput.h"
#include "settings/IniRecord.h"
#include "ui/dialogs/Fonts.h"
#include "ui/print/QtPagePrinter.h"
#include "util/DateText.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace mrt;

std::vector<IoRecord> yearOfLines() {
    std::vector<IoRecord> v;
    int32_t balance = 50000000;
    const int first = DateKey(2026, 1, 1);
    for (int day = 0; day < 365; ++day) {
        for (int k = 0; k < 15; ++k) {
            IoRecord r;
            int y, m, d;
            DateFromKey(first + day, y, m, d);
            r.Year = static_cast<int16_t>(y);
            r.Month = static_cast<int16_t>(m);
            r.Day = static_cast<int16_t>(d);
            r.ItemName = k % 2 ? "食費" : "日用品";
            r.Note = k % 10 == 0 ? "電気代１１月分（１０／２８～１１／２６）" : "野菜・果物";
            r.ShopName = "スーパー";
            r.Expense = 100 + (day * 7 + k * 13) % 9000;
            balance -= r.Expense;
            r.Balance = balance;
            v.push_back(r);
        }
    }
    return v;
}

void BM_LedgerYearToPdf(benchmark::State& state) {
    const std::vector<IoRecord> lines = yearOfLines();
    ConsoleDialogs dlg;
    IniRecord ini;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("year.pdf"));
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
        printer.setOutputFileName(path);
        QtPagePrinter pagePrinter(printer, false);
        PrinterUnits units;
        PreparePrinter(pagePrinter, dlg, 10, units);
        const LedgerPageSetup setup{10, 55, 5 * units.width5, 0};
        if (PrintLedgerPages(pagePrinter, dlg, ini, lines, setup, nullptr) != 0 || !pagePrinter.Finish())
            state.SkipWithError("printout failed");
        pages = pagePrinter.PagesCompleted();
    }
    state.counters["pages"] = pages;
    state.counters["MB"] = QFileInfo(path).size() / 1e6;
}
BENCHMARK(BM_LedgerYearToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
