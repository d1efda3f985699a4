// The settings window's decisions (bounds check, movement, confirm, cancel) and the settings
// command's read and write of INIT.mrt.
#include "screens/SettingsWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace mrt;
using mrt::test::ReadBytes;
using mrt::test::ScriptedDialogs;
using mrt::test::TempDir;

namespace {

class FakeWindow : public SettingsWindowView {
public:
    bool boxShown = false;
    int boxRow = -1;
    std::string boxText; // what the box shows (the user types over it in the tests)
    int caret = -1;
    int focusOK = 0;
    std::string help;
    bool hidden = false;
    std::function<void(SettingsEditor&)> user;
    int runs = 0;

    void RunModal(SettingsEditor& e) override {
        ++runs;
        if (user) user(e);
    }
    void ShowEditBox(int row, int col, const std::string& text, int c) override {
        EXPECT_EQ(col, 1);
        boxShown = true;
        boxRow = row;
        boxText = text;
        caret = c;
    }
    void HideEditBox() override { boxShown = false; }
    void SetEditText(const std::string& text) override { boxText = text; }
    void FocusEditBox() override {}
    void FocusOK() override { ++focusOK; }
    void SetHelpLine(const std::string& text) override { help = text; }
    void HideWindow() override { hidden = true; }
};

struct Window {
    IniRecord rec;
    ScriptedDialogs dlg;
    FakeWindow view;
    SettingsEditor ed{SettingsItems(rec), dlg, view};
    Window() { ed.Open(); }
    // Types `text` over the box's content and presses `key`.
    void type(const std::string& text, WindowKey key = WindowKey::Enter) { ed.KeyInEditBox(key, text); }
    void rejectedAnswer(int button) { dlg.expect("MsgKel", button).expectMessage("入力内容が異常です。"); }
};

} // namespace

TEST(SettingsWindow, OpensOnTheFirstValueWithItsHelp) {
    Window w;
    const GridModel& g = w.ed.Grid();
    EXPECT_EQ(g.Rows(), 7);
    EXPECT_EQ(g.Cols(), 2);
    EXPECT_EQ(g.TextMatrix(0, 0), kSettingsLabelHeader);
    EXPECT_EQ(g.TextMatrix(0, 1), kSettingsValueHeader);
    EXPECT_EQ(g.TextMatrix(1, 0), "家計簿データの１ﾌﾞﾛｯｸあたり読込み月数 (2～6)");
    EXPECT_EQ(g.TextMatrix(6, 1), "1");
    EXPECT_EQ(w.view.boxRow, 1);
    EXPECT_EQ(w.view.boxText, "3");
    EXPECT_EQ(w.view.caret, 0);
    EXPECT_NE(w.view.help.find("\r\n 入力例：3\r\n"), std::string::npos);
    EXPECT_EQ(g.BackColor(), Rgb(255, 255, 232));
    EXPECT_EQ(g.BackColorFixed(), Rgb(224, 235, 224));
}

TEST(SettingsWindow, SevenOnTheFirstRowIsRejectedAndReEnterKeepsTheBox) {
    Window w;
    w.rejectedAnswer(1);
    w.type("7");
    EXPECT_EQ(w.dlg.ops(), "Beep,MsgKel");
    const auto& call = w.dlg.transcript().back();
    EXPECT_EQ(call.title, "環境設定");
    EXPECT_EQ(call.buttons, (std::vector<std::string>{"再 入 力", "登録中止"}));
    EXPECT_EQ(w.ed.Grid().TextMatrix(1, 1), "3");
    EXPECT_EQ(w.ed.Grid().Row(), 1);
    EXPECT_FALSE(w.ed.Closed());

    // "登録中止" cancels the whole window.
    w.rejectedAnswer(2);
    w.type("7");
    EXPECT_TRUE(w.ed.Closed());
    EXPECT_FALSE(w.ed.Confirmed());
    EXPECT_TRUE(w.view.hidden);
}

TEST(SettingsWindow, BoundsOfTheTaxRateAndEmptyValues) {
    Window w;
    w.type("3", WindowKey::Down);
    w.type("300", WindowKey::Down);
    w.type("19", WindowKey::Down);
    EXPECT_EQ(w.view.boxRow, 4);
    EXPECT_NE(w.view.help.find("消費税率"), std::string::npos);
    w.rejectedAnswer(1);
    w.type("21");
    EXPECT_EQ(w.view.boxRow, 4);
    w.type("0");
    EXPECT_EQ(w.ed.Grid().TextMatrix(4, 1), "0");
    EXPECT_EQ(w.view.boxRow, 5);
    // An empty value is never taken for 0, nor is a text with letters.
    w.rejectedAnswer(1);
    w.type("");
    w.rejectedAnswer(1);
    w.type("1a");
    w.rejectedAnswer(1);
    w.type("-0");
    EXPECT_EQ(w.ed.Grid().TextMatrix(5, 1), "0");
    EXPECT_EQ(w.view.boxRow, 5);
}

TEST(SettingsWindow, FullWidthDigitsAndTrailingBlanksAreCleanedIntoTheBox) {
    Window w;
    w.type("５　 ", WindowKey::Up); // stays on row 1: the box shows the cleaned text
    EXPECT_EQ(w.ed.Grid().TextMatrix(1, 1), "5");
    EXPECT_EQ(w.view.boxText, "5");
    w.type("２.６");
    EXPECT_EQ(w.ed.Grid().TextMatrix(1, 1), "2.6");
    w.ed.Confirm("300");
    IniRecord rec;
    ApplySettingsItems(w.ed.Values(), rec);
    EXPECT_EQ(rec.BlockMonths, 3); // rounded to the nearest integer
}

TEST(SettingsWindow, MovementKeys) {
    Window w;
    w.type("4", WindowKey::Up); // nothing above row 1
    EXPECT_EQ(w.view.boxRow, 1);
    EXPECT_EQ(w.ed.Grid().TextMatrix(1, 1), "4");
    w.type("４ ", WindowKey::Enter);
    EXPECT_EQ(w.view.boxRow, 2);
    w.type("300", WindowKey::ShiftEnter);
    EXPECT_EQ(w.view.boxRow, 1);
    EXPECT_EQ(w.view.boxText, "4"); // the box opens on the cell's text, caret at the start
    EXPECT_EQ(w.view.caret, 0);
    for (int row = 1; row < 6; ++row)
        w.type(w.view.boxText, WindowKey::Down);
    EXPECT_EQ(w.view.boxRow, 6);
    w.type("1", WindowKey::Down); // nothing below row 6
    EXPECT_EQ(w.view.boxRow, 6);
    EXPECT_EQ(w.view.focusOK, 0);
    w.type("0", WindowKey::Enter);
    EXPECT_EQ(w.view.focusOK, 1);
    EXPECT_EQ(w.ed.Grid().TextMatrix(6, 1), "0");
    EXPECT_FALSE(w.ed.Closed());
    // The register button then confirms (a further Enter presses it).
    w.ed.Confirm("0");
    EXPECT_TRUE(w.ed.Confirmed());
    EXPECT_EQ(w.ed.Values(), (std::vector<std::string>{"4", "300", "19", "10", "0", "0"}));
}

TEST(SettingsWindow, AValueLeftByAClickIsCheckedAtConfirmation) {
    Window w;
    w.ed.LeaveCell("9"); // the mouse took the cursor elsewhere: stored without a check
    EXPECT_FALSE(w.view.boxShown);
    EXPECT_EQ(w.ed.Grid().TextMatrix(1, 1), "9");
    w.ed.Grid().SetCursor(3, 1);
    w.ed.GridFocused();
    EXPECT_EQ(w.view.boxRow, 3);
    w.rejectedAnswer(1);
    w.ed.Confirm("19");
    EXPECT_FALSE(w.ed.Closed());
    EXPECT_EQ(w.view.boxRow, 1); // back on the value to correct
    EXPECT_EQ(w.view.boxText, "9");
    w.type("6");
    w.ed.Confirm("300");
    EXPECT_TRUE(w.ed.Confirmed());
}

TEST(SettingsWindow, ConfirmChecksTheTextStillInTheBox) {
    Window w;
    w.rejectedAnswer(1);
    w.ed.KeyInEditBox(WindowKey::F12, "1");
    EXPECT_EQ(w.dlg.ops(), "Beep,MsgKel,Beep"); // "再 入 力" beeps once more
    EXPECT_FALSE(w.ed.Closed());
    w.ed.KeyInEditBox(WindowKey::F12, "2");
    EXPECT_TRUE(w.ed.Confirmed());
    EXPECT_EQ(w.ed.Values()[0], "2");
}

TEST(SettingsWindow, TypingOnTheGridStartsWithThatCharacter) {
    Window w;
    w.ed.LeaveCell("3");
    w.ed.KeyOnGrid(WindowKey::Char, "5");
    EXPECT_EQ(w.view.boxText, "5");
    EXPECT_EQ(w.view.caret, 1);
    w.ed.LeaveCell("5");
    w.ed.KeyOnGrid(WindowKey::Enter);
    EXPECT_EQ(w.view.boxText, "5");
    EXPECT_EQ(w.view.caret, 0);
    w.ed.LeaveCell("4");
    w.ed.KeyOnGrid(WindowKey::Char, " "); // Space too opens on the value
    EXPECT_EQ(w.view.boxText, "4");
    EXPECT_EQ(w.view.caret, 0);
    // Esc anywhere cancels at once, without a question.
    w.ed.KeyElsewhere(WindowKey::Esc, "4");
    EXPECT_TRUE(w.ed.Closed());
    EXPECT_FALSE(w.ed.Confirmed());
    EXPECT_EQ(w.dlg.ops(), "CloseAllHelp");
}

TEST(SettingsWindow, HelpKeyOpensTopic500OfTheSubHelp) {
    Window w;
    w.ed.KeyInEditBox(WindowKey::F1, "3");
    EXPECT_EQ(w.dlg.ops(), "Beep,ShowHelpTopic");
    EXPECT_EQ(w.dlg.transcript().back().title, "Sub");
    EXPECT_EQ(w.dlg.transcript().back().message, "500");
}

// ---- OpenSettingsWindow: the file ----

namespace {

std::function<void(SettingsEditor&)> setTaxRate(const std::string& value) {
    return [value](SettingsEditor& e) {
        for (const char* v : {"3", "300", "19"})
            e.KeyInEditBox(WindowKey::Down, v);
        e.KeyInEditBox(WindowKey::F12, value);
    };
}

} // namespace

TEST(SettingsCommand, EscLeavesTheFileUntouchedAndConfirmWritesIt) {
    TempDir dir;
    const std::string path = dir / "INIT.mrt";
    IniRecord rec;
    rec.TaxRate = 8;
    rec.PrintUserName = "山田";
    ASSERT_EQ(WriteSettings(path, rec), 0);
    const std::string before = ReadBytes(path);

    IniRecord inMemory; // what the program holds is replaced by the file's record
    ScriptedDialogs dlg;
    FakeWindow view;
    view.user = [](SettingsEditor& e) {
        e.KeyInEditBox(WindowKey::Down, "5");
        e.KeyInEditBox(WindowKey::Esc, "500");
    };
    EXPECT_EQ(OpenSettingsWindow(path, inMemory, dlg, view), 0);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(inMemory.TaxRate, 8);
    EXPECT_EQ(inMemory.BlockMonths, 3);

    view.user = setTaxRate("10");
    EXPECT_EQ(OpenSettingsWindow(path, inMemory, dlg, view), 0);
    EXPECT_EQ(dlg.ops(), "CloseAllHelp,CloseAllHelp,MsgOn,MsgOff");
    EXPECT_EQ(dlg.transcript()[2].message, "データ処理中、しばらくお待ち下さい");
    IniRecord back;
    ASSERT_EQ(ReadSettings(path, back), 0);
    EXPECT_EQ(back.TaxRate, 10);
    EXPECT_EQ(back.PrintUserName, "山田"); // the fields the window does not show are kept
    EXPECT_EQ(inMemory.TaxRate, 10);
}

TEST(SettingsCommand, ConfirmingWithoutAChangeStillWritesTheFile) {
    TempDir dir;
    const std::string path = dir / "INIT.mrt";
    IniRecord rec;
    ScriptedDialogs dlg;
    FakeWindow view;
    view.user = [](SettingsEditor& e) { e.KeyInEditBox(WindowKey::F12, "3"); };
    EXPECT_EQ(OpenSettingsWindow(path, rec, dlg, view), 0);
    EXPECT_EQ(ReadBytes(path).size(), 450u);
}

TEST(SettingsCommand, UnreadableFileOpensNoWindow) {
    TempDir dir;
    const std::string path = dir / "INIT.mrt";
    std::filesystem::create_directories(path); // not a file that can be read
    IniRecord rec;
    rec.TaxRate = 7;
    ScriptedDialogs dlg;
    FakeWindow view;
    EXPECT_EQ(OpenSettingsWindow(path, rec, dlg, view), -1);
    EXPECT_EQ(view.runs, 0);
    EXPECT_EQ(rec.TaxRate, 7);
}

TEST(SettingsCommand, AFailedWriteReopensTheWindowWithTheEdits) {
    TempDir dir;
    const std::string path = dir / "missing-folder/INIT.mrt"; // read as defaults, cannot be written
    IniRecord rec;
    ScriptedDialogs dlg;
    FakeWindow view;
    view.user = setTaxRate("12");
    dlg.expectBox(MsgResult::OK).expectMessage("環境設定を保存できませんでした。");
    // The second time the window shows the edited value; the user gives up.
    int opened = 0;
    view.user = [&](SettingsEditor& e) {
        if (++opened == 1) return setTaxRate("12")(e);
        EXPECT_EQ(e.Grid().TextMatrix(4, 1), "12");
        e.Cancel();
    };
    EXPECT_EQ(OpenSettingsWindow(path, rec, dlg, view), -2);
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(rec.TaxRate, 10); // what the (missing) file gives, not the unsaved value
    EXPECT_FALSE(std::filesystem::exists(path));
}
