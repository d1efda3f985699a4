// The ledger printout composed and written into a PDF file through the desktop's printer back end:
// ten pages (460 lines) and a year of 15 lines a day (about 5,500 lines, 113 pages); and the same
// pages only composed (measured with the printer's fonts), to tell composing from painting.
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

std::vector<IoRecord> linesOf(int count) {
    std::vector<IoRecord> v;
    int32_t balance = 50000000;
    const int first = DateKey(2026, 1, 1);
    for (int day = 0; day < 365 && static_cast<int>(v.size()) < count; ++day) {
        for (int k = 0; k < 15 && static_cast<int>(v.size()) < count; ++k) {
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

void printToPdf(benchmark::State& state, bool collectOnly) {
    const std::vector<IoRecord> lines = linesOf(static_cast<int>(state.range(0)));
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
        QtPagePrinter pagePrinter(printer, collectOnly);
        PrinterUnits units;
        PreparePrinter(pagePrinter, dlg, 10, units);
        const LedgerPageSetup setup{10, 55, 5 * units.width5, 0};
        if (PrintLedgerPages(pagePrinter, dlg, ini, lines, setup, nullptr) != 0 || !pagePrinter.Finish())
            state.SkipWithError("printout failed");
        pages = pagePrinter.PagesCompleted();
    }
    state.counters["pages"] = pages;
    if (!collectOnly) state.counters["MB"] = QFileInfo(path).size() / 1e6;
}

void BM_LedgerToPdf(benchmark::State& state) {
    printToPdf(state, false);
}
BENCHMARK(BM_LedgerToPdf)->Arg(460)->Arg(5475)->Unit(benchmark::kMillisecond)->MinTime(1);

void BM_LedgerComposedOnly(benchmark::State& state) {
    printToPdf(state, true);
}
BENCHMARK(BM_LedgerComposedOnly)->Arg(460)->Arg(5475)->Unit(benchmark::kMillisecond)->MinTime(1);

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
