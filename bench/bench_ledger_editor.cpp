// The ledger editor on a generated 50-year ledger (2000..2049, about 17 lines a day; the newest
// three months hold 500 lines each, 1,500 in the loaded block): a line typed key by key into the
// new-entry row (day, item, breakdown, shop, amount) and the block saved at once, as Ctrl+S saves
// it. The line is deleted and saved away again outside the timing, so every round types into the
// same block. Argument 0: the ledger in the temporary folder (a disk); 1: in /dev/shm (memory).
#include "app/AppState.h"
#include "app/LedgerEditor.h"
#include "generated_ledger.h"
#include "grid/GridModel.h"
#include "ledger/LedgerBlock.h"
#include "port/ConsoleDialogs.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace mrt;

// Says yes to the delete question; everything else as the console answers it.
class YesDialogs : public ConsoleDialogs {
public:
    int MsgYesNo2(const std::string&, const std::string&, int) override { return 0; }
};

// A window that shows nothing; the choice boxes take the entry the bench selects.
class QuietView : public EditorView {
public:
    int selected = 0;
    std::vector<std::string> entries;

    void ShowEditBox(int, int, ImeMode, int) override {}
    void HideEditBox() override {}
    void SetEditText(const std::string&, int, int) override {}
    void ShowChoiceBox(InputCtrl, int, int, const std::vector<std::string>& e, int, const std::string&) override {
        entries = e;
    }
    void ReadChoiceBox(int& sel, std::string& text) const override {
        sel = selected;
        text = selected >= 0 && selected < static_cast<int>(entries.size()) ? entries[static_cast<size_t>(selected)]
                                                                            : std::string();
    }
    void ShowItemSwitch(int, const std::vector<std::string>&) override {}
    void HideChoiceBoxes() override {}
    void SetOnePointHelp(const std::string&) override {}
    void RefreshDateLabels(const std::string&, const std::string&) override {}
    void Focus(InputCtrl) override {}
    void SetButtonsEnabled(bool) override {}
};

const std::string& editorLedger(bool inMemory) {
    auto build = [](bool mem) {
        std::filesystem::path base = mem ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
        std::string dir = mrt::bench::GeneratedLedgerIn(base, "editor", 2000, 50,
                                                        [](int y, int m) { return y == 2049 && m >= 10 ? 500 : 516; });
        static std::vector<std::string> built;
        if (built.empty())
            std::atexit([] {
                for (const std::string& d : built)
                    std::filesystem::remove_all(d);
            });
        built.push_back(dir);
        return dir;
    };
    if (inMemory) {
        static const std::string folder = build(true);
        return folder;
    }
    static const std::string folder = build(false);
    return folder;
}

// The newest block of the 50-year ledger open in the editor, with one expense item to choose.
struct EditorOnLedger {
    YesDialogs dlg;
    AppState app;
    GridModel grid;
    QuietView view;
    std::unique_ptr<LedgerEditor> editor;
    int lines = 0;

    explicit EditorOnLedger(bool inMemory) {
        app.dataFolder = editorLedger(inMemory);
        app.ledger.index.SetDataFolder(app.dataFolder);
        app.ledger.BlockMonthsInUse = 3;
        app.ledger.MaxBlockLines = 1500;
        app.settings.DisplayRows = 19;
        if (ScanLedgerYears(app.ledger, dlg) != 0 || LoadStartBlock(app.ledger, dlg) != 0) std::abort();
        app.start.StartDateText = StartDateTextOf(app.ledger.index);
        AddName(app.names, kItemTable, kExpenseKind, "食費");
        app.ledger.MaxBlockLines = 1600;
        editor = std::make_unique<LedgerEditor>(app, grid, dlg, view);
        editor->SetUpGrid(FixedPitchMeasure());
        editor->Start();
        lines = editor->Sheet().LastRow();
    }
    // The new-entry row holds the last line's date: Enter on the day, then the item, breakdown and
    // shop boxes, then the amount.
    bool TypeALine() {
        editor->KeyInEditBox(Key::Enter);
        view.selected = 1; // 食費
        editor->KeyInChoiceBox(Key::Enter);
        view.selected = 0; // （入力なし）
        editor->KeyInChoiceBox(Key::Enter);
        editor->KeyInChoiceBox(Key::Enter);
        for (const char* c : {"1", "2", "0", "0"})
            editor->KeyInEditBox(Key::Char, c);
        editor->KeyInEditBox(Key::Enter);
        return editor->Sheet().LastRow() == lines + 1;
    }
    bool DeleteTheLine() {
        editor->CellMove(lines + 1, kColDay);
        editor->DeleteLine();
        return editor->Sheet().LastRow() == lines;
    }
};

void BM_EditorTypeALineAndSave(benchmark::State& state) {
    EditorOnLedger e(state.range(0) != 0);
    for (auto _ : state) {
        if (!e.TypeALine() || e.editor->ForcedSaveNow(false) != 0) state.SkipWithError("line not typed or not saved");
        state.PauseTiming();
        if (!e.DeleteTheLine() || e.editor->ForcedSaveNow(false) != 0) state.SkipWithError("line not deleted");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditorTypeALineAndSave)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The typing alone: the cell checks, the new line, its balance and the undo step, without a save.
void BM_EditorTypeALine(benchmark::State& state) {
    EditorOnLedger e(true);
    for (auto _ : state) {
        if (!e.TypeALine()) state.SkipWithError("line not typed");
        state.PauseTiming();
        if (!e.DeleteTheLine()) state.SkipWithError("line not deleted");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditorTypeALine)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
