// Long random sessions of keys, clicks, scrolling and editing commands on the ledger editor, with
// every question answered at random: the files each session saves, the questions it asks and what
// the grid shows at its end are folded into digests and compared with the digests recorded when
// the sessions were first run. A change to how the editor stores or saves lines must leave them
// exactly as they were. MRTKEL_GOLDEN_PRINT=1 prints the digests of the current build.
#include "test_ledger_editor_fixture.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

namespace mrt::test {
namespace {

// FNV-1a, 64 bits.
struct Digest {
    uint64_t h = 1469598103934665603ull;
    void add(const std::string& s) {
        for (unsigned char c : s) {
            h ^= c;
            h *= 1099511628211ull;
        }
        h ^= 0xFF; // separator, so that "ab","c" and "a","bc" differ
        h *= 1099511628211ull;
    }
    void add(int64_t v) { add(std::to_string(v)); }
};

// Answers every question from a seeded generator and folds the questions asked into a digest.
class RandomDialogs : public Dialogs {
public:
    explicit RandomDialogs(std::mt19937& rng) : m_rng(rng) {}
    Digest asked;

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

    void MsgOK(const std::string& msg, const std::string& ttl, int, int) override { note("MsgOK", msg, ttl); }
    int MsgYesNo(const std::string& msg, const std::string& ttl) override { return answer("YesNo", msg, ttl, 0, 1); }
    int MsgYesNo2(const std::string& msg, const std::string& ttl, int) override {
        return answer("YesNo2", msg, ttl, 0, 1);
    }
    int MsgYesNoBtn(const std::string& msg, const std::string& ttl) override {
        return answer("YesNoBtn", msg, ttl, 0, 1);
    }
    int MsgKel(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int, int) override {
        return answer("Kel", msg, ttl, 1, std::max<int>(1, static_cast<int>(sel.size())));
    }
    int MsgKel2(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int, int,
                int) override {
        return answer("Kel2", msg, ttl, 1, std::max<int>(1, static_cast<int>(sel.size())));
    }
    int MsgKelBtn(const std::vector<int>& btn, const std::string& msg, const std::string& ttl, int, int) override {
        return answer("KelBtn", msg, ttl, 1, std::max<int>(1, static_cast<int>(btn.size())));
    }
    int InputKel(std::string& txt, const std::string& msg, const std::string& ttl, int, int,
                 const std::string&) override {
        const int r = answer("InputKel", msg, ttl, 0, 1);
        static const char* kAnswers[] = {"0", "50000", "120000", "-5", "abc", "99999999", "100000000", ""};
        txt = kAnswers[pick(0, 7)];
        return r;
    }
    int ListKel(const std::vector<std::string>& dt, int, const std::string& msg, const std::string& ttl, int,
                int) override {
        return answer("ListKel", msg, ttl, 0, static_cast<int>(dt.size()));
    }
    int ListKelBtn(const std::vector<std::string>& dt, int, const std::string& msg, const std::string& ttl, int,
                   int) override {
        return answer("ListKelBtn", msg, ttl, 0, static_cast<int>(dt.size()));
    }
    void MsgOn(const std::string& msg, const std::string& ttl) override { note("MsgOn", msg, ttl); }
    void MsgOff() override { note("MsgOff", "", ""); }
    int DateInYMD(const std::string& msg, const std::string& in, std::string& out) override {
        const int r = answer("DateInYMD", msg, in, 0, 3) == 0 ? 1 : 0;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d/%02d/%02d", pick(2003, 2005), pick(1, 12), pick(1, 31));
        out = buf;
        return r;
    }
    int DateInYM(const std::string& msg, const std::string& in, std::string& out) override {
        out = in;
        return answer("DateInYM", msg, in, 0, 1);
    }
    int SubMenu(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel) override {
        asked.add(lstNm);
        return answer("SubMenu", "", ttl, 0, static_cast<int>(sel.size()) + 1);
    }
    int SubMenuH(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel, int) override {
        return SubMenu(ttl, lstNm, sel);
    }
    int GetDirName(const std::string& ttl, const std::string& msg, std::string&) override {
        return answer("GetDirName", msg, ttl, 1, 1);
    }
    int GetFileName(const std::string& ttl, const std::string& msg, const std::string&, int, std::string&,
                    std::vector<std::string>&) override {
        return answer("GetFileName", msg, ttl, 1, 1);
    }
    MsgResult MsgBox(const std::string& msg, const std::string& ttl, MsgIcon, MsgButtons buttons) override {
        note("MsgBox", msg, ttl);
        if (buttons == MsgButtons::OK) return MsgResult::OK;
        const bool yes = pick(0, 1) == 0;
        if (buttons == MsgButtons::YesNo) return yes ? MsgResult::Yes : MsgResult::No;
        if (buttons == MsgButtons::RetryCancel) return MsgResult::Cancel;
        return yes ? MsgResult::OK : MsgResult::Cancel;
    }
    void Beep() override { note("Beep", "", ""); }
    void WaitSeconds(double) override {}
    void ShowHelpContents(HelpFile) override {}
    void ShowHelpTopic(HelpFile, int) override {}
    void CloseAllHelp() override {}

private:
    void note(const char* op, const std::string& msg, const std::string& ttl) {
        asked.add(op);
        asked.add(msg);
        asked.add(ttl);
    }
    int answer(const char* op, const std::string& msg, const std::string& ttl, int lo, int hi) {
        note(op, msg, ttl);
        const int r = pick(lo, hi);
        asked.add(r);
        return r;
    }
    std::mt19937& m_rng;
};

// The names, bytes and sizes of every file below `folder`, in name order.
void addFolder(Digest& d, const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        if (!e.is_regular_file()) continue;
        const std::string rel = std::filesystem::relative(e.path(), folder).string();
        if (rel.find("lock") != std::string::npos || rel.find("LOCK") != std::string::npos) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        files[rel] = bytes.str();
    }
    for (const auto& [name, bytes] : files) {
        d.add(name);
        d.add(bytes);
    }
}

struct SessionDigests {
    uint64_t saved = 0; // the data folder after every save and at the end
    uint64_t asked = 0; // every question, its message and the answer given
    uint64_t shown = 0; // the grid's data cells at the end
};

class KeySession : public EditorFixture {
protected:
    SessionDigests Run(uint32_t seed, int actions) {
        std::mt19937 rng(seed);
        RandomDialogs rdlg(rng);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

        // Half a year of lines; blocks of one or two months, so that moving reads other blocks.
        std::vector<IoRecord> lines = {Line(2004, 1, 5, "初期残高", 0, 0)};
        static const char* kItems[] = {"食費", "日用品", "外食", "給与", "雑収入"};
        for (int m = 1; m <= 6; ++m)
            for (int k = 0, n = pick(3, 9); k < n; ++k) {
                const int item = pick(0, 4);
                const int32_t amount = pick(1, 30000);
                lines.push_back(Line(2004, m, pick(m == 1 ? 5 : 1, 28), kItems[item], item >= 3 ? amount : 0,
                                     item >= 3 ? 0 : amount, pick(0, 2) == 0 ? "野菜" : "",
                                     pick(0, 2) == 0 ? "スーパー" : ""));
            }
        std::stable_sort(lines.begin() + 1, lines.end(),
                         [](const IoRecord& a, const IoRecord& b) { return DateNum(a) < DateNum(b); });
        MakeLedger(lines, 100000, pick(1, 2));
        app.settings.KeyInputMode = pick(0, 1);
        editor = std::make_unique<LedgerEditor>(app, grid, rdlg, view);
        editor->SetUpGrid(FixedPitchMeasure());
        editor->Start();

        Digest saved;
        auto keep = [&] { addFolder(saved, app.home); };
        // clang-format off
        static const char* kTexts[] = {"1", "5", "12", "31", "0", "4", "04", "2",
                                       "3000", "1,000", "980%8", "100*", "2.5", "50000", "-3", "abc",
                                       "食費", "外食", "新しい名前", "メモ", "🎂", "あいうえおかきくけこさ",
                                       "99999999", " ", "3"};
        // clang-format on
        static const Key kKeys[] = {Key::Enter,    Key::Enter,  Key::Enter,    Key::ShiftEnter, Key::Tab,
                                    Key::ShiftTab, Key::Esc,    Key::Left,     Key::Right,      Key::Up,
                                    Key::Down,     Key::PageUp, Key::PageDown, Key::Home,       Key::End,
                                    Key::Insert,   Key::Delete, Key::Backspace};
        static const Command kCommands[] = {Command::ForcedSave,     Command::SortByDate, Command::DeleteLine,
                                            Command::InsertLine,     Command::MoveToDate, Command::EditForcedSave,
                                            Command::EditWorkSelect, Command::Undo,       Command::Redo};
        for (int a = 0; a < actions; ++a) {
            const int what = pick(0, 99);
            if (editor->Editing() && !editor->ChoiceMode() && editor->EditRow() > LastRow() &&
                editor->EditCol() == kColDay && what < 40) {
                // A whole line as the user enters one: day, item, breakdown, shop, amount.
                editor->KeyInEditBox(Key::Char, kTexts[pick(0, 4)]);
                editor->KeyInEditBox(Key::Enter);
                for (int box = 0; box < 3 && editor->ChoiceMode(); ++box) {
                    if (!view.entries.empty() && pick(0, 3) != 0) {
                        view.choiceSelected = pick(0, static_cast<int>(view.entries.size()) - 1);
                        view.choiceText = view.entries[static_cast<size_t>(view.choiceSelected)];
                    } else {
                        view.choiceSelected = -1;
                        view.choiceText = kTexts[pick(16, 22)];
                    }
                    editor->KeyInChoiceBox(Key::Enter);
                }
                if (editor->Editing() && !editor->ChoiceMode()) {
                    editor->KeyInEditBox(Key::Char, kTexts[pick(8, 15)]);
                    editor->KeyInEditBox(Key::Enter);
                }
            } else if (editor->ChoiceMode() && what < 40) {
                // The user picks an entry or types a name, then Enter, Esc or Tab.
                if (!view.entries.empty() && pick(0, 2) != 0) {
                    view.choiceSelected = pick(0, static_cast<int>(view.entries.size()) - 1);
                    view.choiceText = view.entries[static_cast<size_t>(view.choiceSelected)];
                } else {
                    view.choiceSelected = -1;
                    view.choiceText = kTexts[pick(16, 22)];
                }
                static const Key kBoxKeys[] = {Key::Enter, Key::Enter, Key::Enter, Key::Esc, Key::Tab};
                editor->KeyInChoiceBox(kBoxKeys[pick(0, 4)]);
            } else if (what < 35) {
                const std::string text = kTexts[pick(0, 24)];
                if (editor->Editing())
                    editor->KeyInEditBox(Key::Char, text);
                else
                    editor->KeyOnGrid(Key::Char, text);
            } else if (what < 75) {
                const Key k = kKeys[pick(0, 17)];
                if (editor->Editing())
                    editor->KeyInEditBox(k);
                else
                    editor->KeyOnGrid(k);
            } else if (what < 80) {
                const int row = pick(1, std::min(grid.Rows() - 1, LastRow() + 3));
                const int col = pick(1, kColBalance);
                if (pick(0, 1) == 0)
                    editor->CellClicked(row, col);
                else
                    editor->CellDoubleClicked(row, col);
            } else if (what < 83) {
                editor->Scrolled(pick(1, std::max(1, LastRow() + 2)));
            } else if (what < 94) {
                editor->RunCommand(kCommands[pick(0, 8)]);
                if (pick(0, 3) == 0) keep();
            } else if (what < 97) {
                editor->ForcedSaveNow(pick(0, 1) == 0);
                keep();
            } else {
                // Another window opens and closes: the period ends, saving, and starts again.
                editor->End();
                EndEditingPeriod(app, rdlg);
                keep();
                editor->Start();
            }
        }
        editor->End();
        EndEditingPeriod(app, rdlg);
        keep();

        Digest shown;
        shown.add(LastRow());
        for (int r = 1; r <= LastRow() + 1; ++r)
            for (int c = 1; c <= kColBalance; ++c)
                shown.add(grid.TextMatrix(r, c));
        SessionDigests out{saved.h, rdlg.asked.h, shown.h};
        editor.reset();
        return out;
    }
};

struct Golden {
    uint32_t seed;
    uint64_t saved, asked, shown;
};

// Recorded from the editor that kept the lines as the grid's text.
const Golden kGolden[] = {
    {1, 0x9e6e90ce974671f9ull, 0xcbfef0cf41436556ull, 0x50af86d3427e9dffull},
    {2, 0x09f07f3dabf8b236ull, 0x860ea5e1c1ca36b4ull, 0x8814bd6396f104a7ull},
    {3, 0x616e5396e8c5db46ull, 0x0409a0f6ce86eaa1ull, 0x5df547c84ff997c9ull},
    {4, 0xa061c3938422cc50ull, 0x11e75a8dd46b9032ull, 0x5b95b0fdb70c31e7ull},
    {5, 0x8b9cdb7a6c62b6a9ull, 0xfff6d5e69db0f7ccull, 0x3d8046152e67fa3bull},
    {6, 0x8ff9f435d2a5ba14ull, 0xc7dab5b99aa0335cull, 0x71e197b1537eb300ull},
};

class KeySessionSeeds : public KeySession, public ::testing::WithParamInterface<Golden> {};

TEST_P(KeySessionSeeds, SaveAskAndShowAsRecorded) {
    const Golden& g = GetParam();
    const SessionDigests d = Run(g.seed, 1500);
    if (std::getenv("MRTKEL_GOLDEN_PRINT"))
        std::printf("    {%u, 0x%016" PRIx64 "ull, 0x%016" PRIx64 "ull, 0x%016" PRIx64 "ull},\n", g.seed, d.saved,
                    d.asked, d.shown);
    EXPECT_EQ(d.saved, g.saved);
    EXPECT_EQ(d.asked, g.asked);
    EXPECT_EQ(d.shown, g.shown);
}

INSTANTIATE_TEST_SUITE_P(Recorded, KeySessionSeeds, ::testing::ValuesIn(kGolden),
                         [](const ::testing::TestParamInfo<Golden>& i) {
                             return "seed" + std::to_string(i.param.seed);
                         });

} // namespace
} // namespace mrt::test
