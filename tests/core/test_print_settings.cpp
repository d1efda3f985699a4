// AskPrintSettings and the write-back of the print settings after a printout.
#include "print/PrintSettings.h"
#include "settings/IniRecord.h"
#include "support/PrintSupport.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace mrt;
using mrt::test::ScriptedDialogs;
using mrt::test::ScriptedPrintForm;

namespace {

PrintFields ledgerFields() {
    PrintFields f;
    f.title = "家計簿";
    f.user = "山田";
    f.paper = 9;
    f.column = 5;
    f.line = 0;
    f.from = "2026/11/01";
    f.to = "2026/11/30";
    return f;
}

} // namespace

TEST(AskPrintSettings, ShowsTheDatePartsAndFieldsAndReturnsTheAnswers) {
    ScriptedPrintForm form;
    ScriptedDialogs dlg;
    form.answer([](PrSetData& d) {
        d.dates = {"2026", "1", "5", "2026", "2", "28"};
        d.dt2 = {"家計簿２", "佐藤", " 7.6", "3"};
        d.OptNm = 1;
        return 0;
    });
    PrintFields f = ledgerFields();
    ASSERT_EQ(AskPrintSettings(form, dlg, "入出金データの印刷", "印刷する日付を入力してください。", f), 0);
    const PrSetData& shown = form.shown[0];
    EXPECT_EQ(shown.ttl, "入出金データの印刷");
    EXPECT_EQ(shown.DinQ, 6);
    EXPECT_EQ(shown.dates, (std::vector<std::string>{"2026", "11", "01", "2026", "11", "30"}));
    EXPECT_EQ(shown.Dnam[2], "日　から");
    EXPECT_EQ(shown.Dnam[5], "日　まで");
    EXPECT_EQ(shown.dt2[2], "5");
    EXPECT_EQ(shown.OptNm, 0);
    EXPECT_EQ(shown.ColQ, 3);
    // Each part goes back with the width it came with; positions are rounded.
    EXPECT_EQ(f.from, "2026/01/05");
    EXPECT_EQ(f.to, "2026/02/28");
    EXPECT_EQ(f.title, "家計簿２");
    EXPECT_EQ(f.user, "佐藤");
    EXPECT_EQ(f.column, 8);
    EXPECT_EQ(f.line, 3);
    EXPECT_EQ(f.paper, 13);
}

TEST(AskPrintSettings, ABadDateBeepsAndAsksAgainWithTheTextsAsLeft) {
    ScriptedPrintForm form;
    ScriptedDialogs dlg;
    form.answer([](PrSetData& d) {
        d.dates[5] = "31"; // 30 November → 31 November
        return 0;
    });
    form.answer([](PrSetData& d) {
        EXPECT_EQ(d.dates[5], "31");
        d.dates[5] = "29";
        return 0;
    });
    PrintFields f = ledgerFields();
    ASSERT_EQ(AskPrintSettings(form, dlg, "c", "m", f), 0);
    EXPECT_EQ(dlg.ops(), "Beep");
    EXPECT_EQ(f.to, "2026/11/29");
}

TEST(AskPrintSettings, CancelLeavesEverythingAsItWas) {
    ScriptedPrintForm form;
    ScriptedDialogs dlg;
    form.answer([](PrSetData& d) {
        d.dt2[0] = "別の題";
        d.OptNm = 1;
        return -1;
    });
    PrintFields f = ledgerFields();
    EXPECT_NE(AskPrintSettings(form, dlg, "c", "m", f), 0);
    EXPECT_EQ(f.title, "家計簿");
    EXPECT_EQ(f.paper, 9);
    EXPECT_EQ(f.from, "2026/11/01");
}

TEST(AskPrintSettings, TitleCutToThirtyCharactersAndPositionsClamped) {
    ScriptedPrintForm form;
    ScriptedDialogs dlg;
    form.answer([](PrSetData& d) {
        d.dt2[0] = std::string(10, 'a') + "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ";
        d.dt2[2] = "左";
        d.dt2[3] = "-4";
        return 0;
    });
    PrintFields f = ledgerFields();
    f.from.clear();
    f.to.clear();
    ASSERT_EQ(AskPrintSettings(form, dlg, "集計データの印刷", "[ 印刷 ] ボタンで印刷を開始します。", f), 0);
    EXPECT_EQ(form.shown[0].DinQ, 0);
    EXPECT_TRUE(form.shown[0].dates.empty());
    EXPECT_EQ(f.title, std::string(10, 'a') + "あいうえおかきくけこさしすせそたちつてと");
    EXPECT_EQ(f.column, 0);
    EXPECT_EQ(f.line, 0);

    form.answer([](PrSetData& d) {
        d.dt2[2] = "250";
        return 0;
    });
    ASSERT_EQ(AskPrintSettings(form, dlg, "c", "m", f), 0);
    EXPECT_EQ(f.column, 100);
}

TEST(AskPrintSettings, ALineOffsetLeavingNoRowIsRefused) {
    ScriptedPrintForm form;
    ScriptedDialogs dlg;
    form.answer([](PrSetData& d) {
        d.dt2[3] = "60";
        return 0;
    });
    // 52 leaves no row on B5 but 3 on A4.
    form.answer([](PrSetData& d) {
        EXPECT_EQ(d.dt2[3], "60");
        d.dt2[3] = "52";
        d.OptNm = 1;
        return 0;
    });
    form.answer([](PrSetData& d) {
        d.OptNm = 0;
        return 0;
    });
    dlg.expect("MsgOK").expectMessage("１行も印刷できません");
    dlg.expect("MsgOK");
    PrintFields f = ledgerFields();
    ASSERT_EQ(AskPrintSettings(form, dlg, "入出金データの印刷", "m", f), 0);
    EXPECT_EQ(f.line, 52);
    EXPECT_EQ(f.paper, 9);
    EXPECT_EQ(PrintRowsPerPage(9, 52), 3);
    EXPECT_EQ(PrintRowsPerPage(13, 51), 1);
}

// The settings file holds CP932: a title or user name with a character it cannot hold is refused
// with the names window's message and asked again, never saved as "?".
TEST(AskPrintSettings, ACharacterTheFileCannotHoldIsRefused) {
    ScriptedPrintForm form;
    ScriptedDialogs dlg;
    form.answer([](PrSetData& d) {
        d.dt2[1] = "山田😀";
        return 0;
    });
    form.answer([](PrSetData& d) {
        EXPECT_EQ(d.dt2[1], "山田😀");
        d.dt2[1] = "山田";
        d.dt2[0] = "家計簿🍰";
        return 0;
    });
    form.answer([](PrSetData& d) {
        d.dt2[0] = "家計簿①髙";
        return 0;
    });
    dlg.expect("MsgOK").expectMessage("「😀」はファイルに保存できない文字のため登録できません。");
    dlg.expect("MsgOK").expectMessage("「🍰」はファイルに保存できない文字のため登録できません。");
    PrintFields f = ledgerFields();
    ASSERT_EQ(AskPrintSettings(form, dlg, "入出金データの印刷", "m", f), 0);
    ASSERT_EQ(dlg.ops(), "MsgOK,MsgOK");
    EXPECT_EQ(dlg.transcript()[0].title, "入出金データの印刷");
    EXPECT_EQ(f.user, "山田");
    EXPECT_EQ(f.title, "家計簿①髙");
}

TEST(AskPrintSettings, TwoDigitYearsStayTwoDigits) {
    ScriptedPrintForm form;
    ScriptedDialogs dlg;
    form.confirm();
    PrintFields f = ledgerFields();
    f.from = "26-11-01";
    f.to = "26-11-30";
    ASSERT_EQ(AskPrintSettings(form, dlg, "c", "m", f), 0);
    EXPECT_EQ(form.shown[0].dates[0], "26");
    EXPECT_EQ(f.from, "26-11-01");
}

TEST(PrintSettingsWriteBack, OnlyWhenOneOfTheFiveChanged) {
    test::TempDir dir;
    const std::string path = dir / "INIT.mrt";
    IniRecord rec;
    PrintSettingsSnapshot before = TakePrintSnapshot(rec, PrintoutKind::Ledger);
    ASSERT_EQ(SavePrintSettingsIfChanged(rec, before, PrintoutKind::Ledger, path), 0);
    EXPECT_TRUE(test::ReadBytes(path).empty());

    // The totals settings are not the ledger's business.
    rec.TotalsPrintLine = 7;
    ASSERT_EQ(SavePrintSettingsIfChanged(rec, before, PrintoutKind::Ledger, path), 0);
    EXPECT_TRUE(test::ReadBytes(path).empty());

    rec.LedgerPaperSize = 13;
    ASSERT_EQ(SavePrintSettingsIfChanged(rec, before, PrintoutKind::Ledger, path), 0);
    IniRecord back;
    ASSERT_EQ(ReadSettings(path, back), 0);
    EXPECT_EQ(back.LedgerPaperSize, 13);

    // The user name belongs to both printouts.
    before = TakePrintSnapshot(rec, PrintoutKind::Totals);
    rec.PrintUserName = "鈴木";
    ASSERT_EQ(SavePrintSettingsIfChanged(rec, before, PrintoutKind::Totals, path), 0);
    ASSERT_EQ(ReadSettings(path, back), 0);
    EXPECT_EQ(back.PrintUserName, "鈴木");
    // No path: headless printing never writes.
    rec.PrintUserName = "x";
    ASSERT_EQ(SavePrintSettingsIfChanged(rec, before, PrintoutKind::Totals, ""), 0);
    ASSERT_EQ(ReadSettings(path, back), 0);
    EXPECT_EQ(back.PrintUserName, "鈴木");
}

TEST(PrintFieldsOf, ReadsAndStoresThePrintoutsOwnFields) {
    IniRecord rec;
    PrintFields f = PrintFieldsOf(rec, PrintoutKind::Totals);
    EXPECT_EQ(f.title, "家計簿集計");
    f.title = "集計";
    f.line = 4;
    StorePrintFields(rec, PrintoutKind::Totals, f);
    EXPECT_EQ(rec.TotalsPrintTitle, "集計");
    EXPECT_EQ(rec.TotalsPrintLine, 4);
    EXPECT_EQ(rec.LedgerPrintTitle, "家計簿");
    EXPECT_EQ(rec.LedgerPrintLine, 0);
}
