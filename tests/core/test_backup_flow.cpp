// The backup and restore dialogue (CopyData and its questions) against scripted answers.
#include "backup/BackupData.h"
#include "names/NameTables.h"
#include "support/FaultFs.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "test_ledger_fixture.h"
#include "util/FileBatch.h"
#include "util/HomeSettings.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

using namespace mrt;
using namespace mrt::test;
namespace fs = std::filesystem;

namespace {

// Name → bytes of every file directly in a folder.
std::map<std::string, std::string> filesIn(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files[e.path().filename().string()] = ReadBytes(e.path().string());
    return files;
}

std::string infBytes(char fill = 1) {
    return std::string(120, fill);
}
std::string ioBytes(int records, char fill = 2) {
    return std::string(static_cast<size_t>(records) * 108, fill);
}

// The information and year file of a sound ledger year: `lines` expenses in February, the
// balances following on from `start`.
std::pair<std::string, std::string> soundYear(int year, int lines, int32_t start) {
    LedgerModel m;
    m[year].months[1].lines = monthLines(year, 2, lines, 100);
    m[year].months[1].lines[0].bal = start - 100;
    recomputeModel(m);
    return {infFileBytes(m[year]), yearFileBytes(m[year])};
}

// A sound breakdown table: "その他" for every key.
std::string soundBreakdowns() {
    std::string bytes;
    for (int key = 1; key <= kItemKeyMax; ++key)
        bytes += EncodeNameList(DefaultNameList(), kBrkDnTextBytes);
    return bytes;
}

const std::string kSoundItems = ReadBytes(std::string(MRTKEL_TEST_DATA) + "/names/TBITEM.mrt");

struct Folders {
    TempDir home;  // holds Data1/ and the settings that remember the last folder
    TempDir stick; // the other folder
    std::string data = home / "Data1/";

    Folders() { fs::create_directories(home / "Data1/BU"); }
    CopyJob job(bool remember = false) {
        CopyJob j;
        j.dataFolder = data;
        if (remember) j.rememberIn = home.path();
        return j;
    }
};

const char* const kTwoLinePrompt = "するファイルを選択して下さい。\r\n（[Shift],[Ctrl]の併用で複数のﾌｧｲﾙ選択も可）";

} // namespace

TEST(BackupFlow, OneLedgerYearIsCopiedWithoutTheYearQuestion) {
    Folders f;
    WriteBytes(f.data + "Inf2004.usr", infBytes());
    WriteBytes(f.data + "Io2004.usr", ioBytes(6000));
    WriteBytes(f.data + "TBITEM.mrt", "items");
    ScriptedDialogs dlg;
    dlg.expect("GetDirName", 0)
        .withText(f.stick.path())
        .expectMessage("保管先のフォルダ(ドライブ)を指定してください。");
    dlg.expect("MsgKel2", 1)
        .expectMessage("データの保管を開始します。\r\n( 入出金データ(2004年) を " + f.stick.path() + " へ )");
    dlg.expect("MsgOK").expectMessage("データの保管が完了しました。");
    CopyJob job = f.job();
    ASSERT_EQ(CopyData(kBackupDirection, kLedgerYearKind, job, dlg), 0);

    EXPECT_EQ(filesIn(f.stick.path()),
              (std::map<std::string, std::string>{{"Inf2004.usr", infBytes()}, {"Io2004.usr", ioBytes(6000)}}));
    EXPECT_EQ(job.copied, (std::vector<std::string>{"Inf2004.usr", "Io2004.usr"}));
    EXPECT_EQ(job.otherFolder, f.stick.path());
    EXPECT_EQ(dlg.ops(), "GetDirName,MsgKel2,MsgOn,MsgProgress,MsgProgress,MsgProgress,MsgOff,MsgOK");
    EXPECT_EQ(dlg.transcript()[0].title, "各データの保管");
    EXPECT_EQ(dlg.transcript()[0].buttons[0], "a:"); // the first removable medium
    EXPECT_EQ(dlg.transcript()[2].message, "データの保管中・・・・");
    EXPECT_EQ(dlg.transcript()[5].message, "2/2 " + std::to_string(120 + 648000) + "/" + std::to_string(120 + 648000));
    // The copies keep the times of the data files.
    EXPECT_EQ(fs::last_write_time(f.stick / "Io2004.usr"), fs::last_write_time(f.data + "Io2004.usr"));
}

TEST(BackupFlow, SeveralYearsAreOfferedByYearInFullWidthDigits) {
    Folders f;
    // Names as a Windows-made folder may spell them; the listing is by year, not by letter case.
    WriteBytes(f.data + "inf2004.usr", infBytes(4));
    WriteBytes(f.data + "io2004.usr", ioBytes(3, 4));
    WriteBytes(f.data + "Inf2003.usr", infBytes(3));
    WriteBytes(f.data + "Io2003.usr", ioBytes(3, 3));
    WriteBytes(f.data + "Inf2003 (2).usr", infBytes(9)); // not a ledger name
    ScriptedDialogs dlg;
    dlg.expect("SubMenu", 2).expectInitialLine(1);
    dlg.expect("GetDirName", 0).withText(f.stick.path());
    dlg.expect("MsgKel2", 1).expectMessage("入出金データ(2004年)");
    dlg.expect("MsgOK").expectMessage("データの保管が完了しました。");
    CopyJob job = f.job();
    ASSERT_EQ(CopyData(kBackupDirection, kLedgerYearKind, job, dlg), 0);
    EXPECT_EQ(dlg.transcript()[0].title, "入出金データの年度を選択して下さい。");
    EXPECT_EQ(dlg.transcript()[0].buttons,
              (std::vector<std::string>{"   ２００３年の入出金データ   ", "   ２００４年の入出金データ   "}));
    EXPECT_EQ(filesIn(f.stick.path()),
              (std::map<std::string, std::string>{{"inf2004.usr", infBytes(4)}, {"io2004.usr", ioBytes(3, 4)}}));
}

TEST(BackupFlow, ChooseLedgerYearCountsCancelsAndSaysWhenThereIsNone) {
    Folders f;
    ScriptedDialogs dlg;
    int year = 0;
    dlg.expectBox(MsgResult::OK).expectMessage("該当ファイルがありません。\r\n作業を終了します。");
    EXPECT_EQ(ChooseLedgerYear(f.data, "inf", ".usr", year, dlg), 0);
    EXPECT_EQ(dlg.transcript().back().buttons, (std::vector<std::string>{"Exclamation", "OK"}));

    WriteBytes(f.data + "Inf1999.usr", infBytes());
    EXPECT_EQ(ChooseLedgerYear(f.data, "inf", ".usr", year, dlg), 1);
    EXPECT_EQ(year, 1999);
    WriteBytes(f.data + "Inf2000.usr", infBytes());
    WriteBytes(f.data + "Inf2001.usr", infBytes());
    dlg.expect("SubMenu", -1);
    EXPECT_EQ(ChooseLedgerYear(f.data, "inf", ".usr", year, dlg), -1);
    dlg.expect("SubMenu", 3);
    EXPECT_EQ(ChooseLedgerYear(f.data, "inf", ".usr", year, dlg), 3);
    EXPECT_EQ(year, 2001);
}

TEST(BackupFlow, RegisteredDataIsEveryMrtFileTakenWithoutTheChooser) {
    Folders f;
    WriteBytes(f.data + "INIT.mrt", std::string(450, 'i'));
    WriteBytes(f.data + "TBITEM.mrt", "items");
    WriteBytes(f.data + "TBSHOP.mrt", std::string(1602, 's'));
    WriteBytes(f.data + "EMPTY.mrt", ""); // a 0-byte file is neither listed nor copied
    WriteBytes(f.data + "Io2004.usr", ioBytes(1));
    ScriptedDialogs dlg;
    dlg.expect("GetDirName", 0).withText(f.stick.path());
    dlg.expect("MsgKel2", 1).expectMessage("( 登録データ(項目名・店名 等) を ");
    dlg.expect("MsgOK").expectMessage("データの保管が完了しました。");
    CopyJob job = f.job();
    ASSERT_EQ(CopyData(kBackupDirection, kRegisteredKind, job, dlg), 0);
    EXPECT_EQ(dlg.transcript()[0].op, "GetFileName");
    EXPECT_EQ(dlg.transcript()[0].buttons[0], "*.mrt");
    EXPECT_EQ(dlg.transcript()[0].buttons[1], "2");
    EXPECT_EQ(dlg.transcript()[0].message, std::string("保管") + kTwoLinePrompt);
    auto copied = filesIn(f.stick.path());
    EXPECT_EQ(copied.size(), 3u);
    EXPECT_EQ(copied["TBSHOP.mrt"], std::string(1602, 's'));
    EXPECT_FALSE(copied.count("EMPTY.mrt"));
}

TEST(BackupFlow, EveryCancelEndsWithTheFailureMessage) {
    Folders f;
    WriteBytes(f.data + "Inf2004.usr", infBytes());
    WriteBytes(f.data + "Io2004.usr", ioBytes(2));
    { // "中  止" at the confirmation
        ScriptedDialogs dlg;
        dlg.expect("GetDirName", 0).withText(f.stick.path());
        dlg.expect("MsgKel2", 2);
        dlg.expect("MsgOK").expectMessage("データの保管に失敗しました。");
        CopyJob job = f.job();
        EXPECT_EQ(CopyData(kBackupDirection, kLedgerYearKind, job, dlg), -1);
        EXPECT_EQ(dlg.transcript()[1].buttons, (std::vector<std::string>{"Ｏ  Ｋ", "中  止"}));
    }
    { // the target folder
        ScriptedDialogs dlg;
        dlg.expect("GetDirName", -1);
        dlg.expect("MsgOK").expectMessage("データの保管に失敗しました。");
        CopyJob job = f.job();
        EXPECT_EQ(CopyData(kBackupDirection, kLedgerYearKind, job, dlg), -1);
    }
    { // the files chosen one by one
        ScriptedDialogs dlg;
        dlg.expect("GetFileName", -1).expectMessage(std::string("保管") + kTwoLinePrompt);
        dlg.expect("MsgOK").expectMessage("データの保管に失敗しました。");
        CopyJob job = f.job();
        EXPECT_EQ(CopyData(kBackupDirection, kChosenFilesKind, job, dlg), -1);
        EXPECT_EQ(dlg.transcript()[0].buttons[0], "*.*");
        EXPECT_EQ(dlg.transcript()[0].buttons[1], "0");
    }
    { // the restore's source folder, before anything else is asked
        ScriptedDialogs dlg;
        dlg.expect("GetDirName", -1).expectMessage("保管データのあるフォルダ(ドライブ)を指定してください。");
        dlg.expect("MsgOK").expectMessage("データの復帰に失敗しました。");
        CopyJob job = f.job();
        EXPECT_EQ(CopyData(kRestoreDirection, kLedgerYearKind, job, dlg), -1);
        EXPECT_EQ(dlg.transcript()[0].title, "保管データの復帰");
    }
    { // no ledger year in the source folder
        ScriptedDialogs dlg;
        dlg.expect("GetDirName", 0).withText(f.stick.path());
        dlg.expectBox(MsgResult::OK).expectMessage("該当ファイルがありません。");
        dlg.expect("MsgOK").expectMessage("データの復帰に失敗しました。");
        CopyJob job = f.job();
        EXPECT_EQ(CopyData(kRestoreDirection, kLedgerYearKind, job, dlg), -1);
    }
    EXPECT_TRUE(filesIn(f.stick.path()).empty());
}

TEST(BackupFlow, ChosenFilesComeFromTheFolderTheyWereChosenIn) {
    Folders f;
    WriteBytes(f.data + "BU/Io2004.usr", ioBytes(1, 7));
    WriteBytes(f.data + "BU/Inf2004.usr", infBytes(7));
    ScriptedDialogs dlg;
    dlg.expect("GetFileName", 0).withText(f.data + "BU").withFiles({"Inf2004.usr", "Io2004.usr"});
    dlg.expect("GetDirName", 0).withText(f.stick.path());
    dlg.expect("MsgKel2", 1).expectMessage("( ファイル名個別選択 を " + f.stick.path() + " へ )");
    dlg.expect("MsgOK").expectMessage("データの保管が完了しました。");
    CopyJob job = f.job();
    ASSERT_EQ(CopyData(kBackupDirection, kChosenFilesKind, job, dlg), 0);
    EXPECT_EQ(ReadBytes(f.stick / "Io2004.usr"), ioBytes(1, 7));
}

TEST(BackupFlow, ChooseBackupDataOffersTheThreeKinds) {
    ScriptedDialogs dlg;
    int kind = 0;
    dlg.expect("SubMenuH", 3).expectInitialLine(1);
    EXPECT_EQ(ChooseBackupData(kRestoreDirection, kind, dlg), 0);
    EXPECT_EQ(kind, 3);
    const DialogCall& c = dlg.transcript()[0];
    EXPECT_EQ(c.title, "復帰するデータを選択してください。");
    EXPECT_EQ(c.message, "800");
    EXPECT_EQ(c.buttons, (std::vector<std::string>{"      入出金データ         ", "登録データ(項目名・店名 等)",
                                                   "ファイル名個別選択"}));
    dlg.expect("SubMenuH", -1);
    EXPECT_EQ(ChooseBackupData(kBackupDirection, kind, dlg), -1);
    EXPECT_EQ(dlg.transcript()[1].title, "保管するデータを選択してください。");
}

TEST(BackupFlow, TheFolderUsedLastIsOfferedFirstWhileItIsThere) {
    Folders f;
    WriteBytes(f.data + "TBITEM.mrt", "items");
    {
        ScriptedDialogs dlg;
        dlg.expect("SubMenuH", kRegisteredKind);
        dlg.expect("GetDirName", 0).withText(f.stick.path());
        dlg.expect("MsgKel2", 1);
        dlg.expect("MsgOK");
        ASSERT_EQ(RunBackupCommand(kBackupDirection, f.home.path(), f.data, dlg), 0);
        EXPECT_EQ(dlg.transcript()[2].buttons[0], "a:");
    }
    EXPECT_EQ(ReadHomeSetting(f.home.path(), kLastBackupFolderKey), f.stick.path());
    {
        ScriptedDialogs dlg;
        dlg.expect("SubMenuH", kRegisteredKind);
        dlg.expect("GetDirName", -1);
        dlg.expect("MsgOK").expectMessage("データの復帰に失敗しました。");
        EXPECT_EQ(RunBackupCommand(kRestoreDirection, f.home.path(), f.data, dlg), -1);
        EXPECT_EQ(dlg.transcript()[1].buttons[0], f.stick.path());
    }
    fs::remove_all(f.stick.path()); // the medium taken out
    {
        ScriptedDialogs dlg;
        dlg.expect("SubMenuH", kRegisteredKind);
        dlg.expect("GetDirName", -1);
        dlg.expect("MsgOK");
        EXPECT_EQ(RunBackupCommand(kBackupDirection, f.home.path(), f.data, dlg), -1);
        EXPECT_EQ(dlg.transcript()[2].buttons[0], "a:");
    }
}

// ---- restore --------------------------------------------------------------------------------------

TEST(RestoreFlow, ACaseDifferentNameReplacesTheExistingFile) {
    Folders f;
    const auto [oldInf, oldIo] = soundYear(2025, 2, 1000);
    const auto [newInf, newIo] = soundYear(2025, 4, 5000);
    WriteBytes(f.data + "Io2025.usr", oldIo);
    WriteBytes(f.data + "Inf2025.usr", oldInf);
    // A backup made on Windows spells the names in lower case.
    WriteBytes(f.stick / "io2025.usr", newIo);
    WriteBytes(f.stick / "inf2025.usr", newInf);
    ScriptedDialogs dlg;
    dlg.expect("GetDirName", 0).withText(f.stick.path());
    dlg.expect("MsgKel2", 1)
        .expectMessage("データの復帰を開始します。\r\n( " + f.stick.path() + " の 入出金データ(2025年) をシステムへ )");
    dlg.expect("MsgOK").expectMessage("データの復帰が完了しました。");
    CopyJob job = f.job();
    ASSERT_EQ(CopyData(kRestoreDirection, kLedgerYearKind, job, dlg), 0);
    EXPECT_TRUE(job.dataChanged);
    EXPECT_EQ(filesIn(f.data), (std::map<std::string, std::string>{{"Inf2025.usr", newInf}, {"Io2025.usr", newIo}}));
}

TEST(RestoreFlow, AFileOfTheWrongLengthIsRefusedBeforeAnythingChanges) {
    Folders f;
    const auto [oldInf, oldIo] = soundYear(2025, 2, 1000);
    const auto [newInf, newIo] = soundYear(2025, 4, 5000);
    WriteBytes(f.data + "Io2025.usr", oldIo);
    WriteBytes(f.data + "Inf2025.usr", oldInf);
    WriteBytes(f.data + "TBITEM.mrt", kSoundItems);
    const auto before = filesIn(f.data);
    struct Case {
        std::map<std::string, std::string> source;
        int kind;
        std::string reason;
    };
    const Case cases[] = {
        {{{"Inf2025.usr", newInf}, {"Io2025.usr", newIo.substr(0, newIo.size() - 50)}},
         kLedgerYearKind,
         "Io2025.usr: 長さ " + std::to_string(newIo.size() - 50) +
             "バイト が入出金データの記録(108バイト)の倍数ではありません。"},
        {{{"Inf2025.usr", newInf.substr(0, 110)}, {"Io2025.usr", newIo}},
         kLedgerYearKind,
         "Inf2025.usr: 長さ 110バイト が入出金情報の12か月分(120バイト)ではありません。"},
        {{{"Inf2025.usr", newInf}}, kLedgerYearKind, "io2025.usr: ファイルがありません。"},
        {{{"TBITEM.mrt", kSoundItems}, {"TBSHOP.mrt", std::string(1600, 's')}},
         kRegisteredKind,
         "TBSHOP.mrt: 長さ 1600バイト が登録データの記録(1602バイト)の倍数ではありません。"},
        {{{"TBITEM.mrt", kSoundItems}, {"tbitem.mrt", kSoundItems}},
         kRegisteredKind,
         "TBITEM.mrt と tbitem.mrt は大文字・小文字だけが違う名前です。どちらを復帰するか決められません。"},
    };
    for (const Case& c : cases) {
        TempDir source;
        for (const auto& [name, bytes] : c.source)
            WriteBytes(source / name, bytes);
        ScriptedDialogs dlg;
        dlg.expect("GetDirName", 0).withText(source.path());
        dlg.expect("MsgKel2", 1);
        dlg.expectBox(MsgResult::OK)
            .expectMessage("保管データを復帰できません。システムのデータは変更していません。\r\n" + c.reason);
        dlg.expect("MsgOK").expectMessage("データの復帰に失敗しました。");
        CopyJob job = f.job();
        EXPECT_EQ(CopyData(kRestoreDirection, c.kind, job, dlg), -1) << c.reason;
        EXPECT_FALSE(job.dataChanged);
        EXPECT_FALSE(dlg.waitOpen());
        EXPECT_EQ(filesIn(f.data), before) << c.reason; // no byte changed, no file left behind
    }
}

// The writer fails after a number of bytes (a full or removed medium): a backup leaves the
// target folder as it was, and a restore changes nothing at all.
TEST(RestoreFlow, AFailingWriterLeavesNoHalfFile) {
    Folders f;
    const auto [oldInf, oldIo] = soundYear(2025, 2, 1000);
    const auto [newInf, newIo] = soundYear(2025, 4, 5000);
    WriteBytes(f.data + "Inf2025.usr", oldInf);
    WriteBytes(f.data + "Io2025.usr", oldIo);
    WriteBytes(f.data + "TBITEM.mrt", "old items");
    const auto data = filesIn(f.data);
    { // backup of three files, failing inside the second
        ScriptedDialogs dlg;
        dlg.expect("GetFileName", 0).withText(f.data).withFiles({"Inf2025.usr", "Io2025.usr", "TBITEM.mrt"});
        dlg.expect("GetDirName", 0).withText(f.stick.path());
        dlg.expect("MsgKel2", 1);
        dlg.expectBox(MsgResult::OK)
            .expectMessage("ファイルの複写に失敗しました。\r\nIo2025.usr: 空き容量が足りません (");
        dlg.expect("MsgOK").expectMessage("データの保管に失敗しました。");
        mrt::test::FailWritesAfter(120 + 5000);
        CopyJob job = f.job();
        EXPECT_EQ(CopyData(kBackupDirection, kChosenFilesKind, job, dlg), -1);
        mrt::test::FailWritesAfter(-1);
        EXPECT_TRUE(job.copied.empty());
        EXPECT_TRUE(filesIn(f.stick.path()).empty());
    }
    { // restore of both files of a year, failing in the second: the first is not replaced either
        TempDir source;
        WriteBytes(source / "Inf2025.usr", newInf);
        WriteBytes(source / "Io2025.usr", newIo);
        ScriptedDialogs dlg;
        dlg.expect("GetDirName", 0).withText(source.path());
        dlg.expect("MsgKel2", 1);
        dlg.expectBox(MsgResult::OK).expectMessage("システムのデータは変更していません。");
        dlg.expect("MsgOK").expectMessage("データの復帰に失敗しました。");
        mrt::test::FailWritesAfter(120 + 108);
        CopyJob job = f.job();
        EXPECT_EQ(CopyData(kRestoreDirection, kLedgerYearKind, job, dlg), -1);
        mrt::test::FailWritesAfter(-1);
        EXPECT_FALSE(job.dataChanged);
        EXPECT_EQ(filesIn(f.data), data);
    }
}

TEST(RestoreFlow, RegisteredDataReplacesTheTablesAndTheSettings) {
    Folders f;
    WriteBytes(f.data + "INIT.mrt", std::string(450, 'o'));
    WriteBytes(f.data + "TBITEM.mrt", "old items");
    WriteBytes(f.data + "Io2025.usr", ioBytes(1, 'o'));
    WriteBytes(f.stick / "init.MRT", std::string(450, 'n'));
    WriteBytes(f.stick / "TBITEM.mrt", kSoundItems);
    WriteBytes(f.stick / "TBBRKDN.mrt", soundBreakdowns());
    WriteBytes(f.stick / "Io2025.usr", ioBytes(9, 'n')); // not registered data
    ScriptedDialogs dlg;
    dlg.expect("GetDirName", 0).withText(f.stick.path());
    dlg.expect("MsgKel2", 1).expectMessage(" の 登録データ(項目名・店名 等) をシステムへ )");
    dlg.expect("MsgOK").expectMessage("データの復帰が完了しました。");
    CopyJob job = f.job();
    ASSERT_EQ(CopyData(kRestoreDirection, kRegisteredKind, job, dlg), 0);
    EXPECT_EQ(filesIn(f.data), (std::map<std::string, std::string>{{"INIT.mrt", std::string(450, 'n')},
                                                                   {"Io2025.usr", ioBytes(1, 'o')},
                                                                   {"TBBRKDN.mrt", soundBreakdowns()},
                                                                   {"TBITEM.mrt", kSoundItems}}));
}
