// The CSV commands of the program around their windows: the file chooser starts in the folder
// last used for a CSV file, whether imported from or written to, kept in the home folder.
#include "app/AppState.h"
#include "app/CsvCommands.h"
#include "ledger/LedgerBlock.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/Home.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

// The folder the file chooser was opened in, from the transcript's last GetFileName.
std::string chooserStart(const ScriptedDialogs& dlg) {
    for (auto it = dlg.transcript().rbegin(); it != dlg.transcript().rend(); ++it)
        if (it->op == "GetFileName") return it->buttons.at(2);
    return "(not asked)";
}

TEST(CsvFolder, TheChooserStartsWhereTheLastCsvFileWas) {
    TempDir home, files;
    std::filesystem::create_directories(files / "in");
    std::filesystem::create_directories(files / "out");
    WriteBytes(files / "in/a.csv", "日付,項目名\r\n");
    AppState app;
    app.home = home.path();
    app.ledger.index.SetDataFolder(DataFolder(app.home));
    const std::string fallback = files.path();
    std::string path, bytes;

    // The first time in the fallback folder; a chosen file's folder is the next start.
    ScriptedDialogs dlg;
    dlg.expect("GetFileName", 0).withText(files / "in").withFiles({"a.csv"});
    ASSERT_TRUE(ChooseImportFile(dlg, app.home, fallback, path, bytes));
    EXPECT_EQ(chooserStart(dlg), fallback);
    EXPECT_EQ(path, files / "in/a.csv");
    EXPECT_EQ(bytes, "日付,項目名\r\n");
    dlg.expect("GetFileName", -1);
    EXPECT_FALSE(ChooseImportFile(dlg, app.home, fallback, path, bytes));
    EXPECT_EQ(chooserStart(dlg), files / "in");
    EXPECT_EQ(CsvStartFolder(app.home, fallback), files / "in");

    // A file written is remembered too; a cancelled choice changes nothing.
    dlg.expect("MsgOK").expectMessage("行を書き出しました。");
    ASSERT_EQ(RunAppExport(app, "", "", CsvEncoding::Utf8, files / "out/l.csv", dlg), 0);
    dlg.expect("GetFileName", -1);
    EXPECT_FALSE(ChooseImportFile(dlg, app.home, fallback, path, bytes));
    EXPECT_EQ(chooserStart(dlg), files / "out");

    // A remembered folder that is gone: the fallback again.
    std::filesystem::remove_all(files / "out");
    EXPECT_EQ(CsvStartFolder(app.home, fallback), fallback);
    dlg.VerifyDone();
}

} // namespace
} // namespace mrt::test
