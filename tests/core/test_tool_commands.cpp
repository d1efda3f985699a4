// mrtkel-tool's command line: every command on one home (also under the sanitizers, where a
// report ends the tool), paths taken from the folder the tool is started in, reading commands
// that find no data folder, the search text, and a C library without the CP932 conversion.
#include "support/RunTool.h"
#include "support/TempDir.h"
#include "util/Cp932.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;

// Every file and folder below `root`, relative.
std::vector<std::string> entries(const std::string& root) {
    std::vector<std::string> r;
    for (const auto& e : fs::recursive_directory_iterator(root))
        r.push_back(fs::relative(e.path(), root).string());
    std::sort(r.begin(), r.end());
    return r;
}

// A home folder and, beside it, the folder the tool is started in.
class ToolCommandLine : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(work); }

    // Runs the tool in `work` with a home given relative to it.
    int run(const std::string& args, std::string* out = nullptr, std::string* err = nullptr,
            const std::string& home = "../home") {
        int status = -1;
        std::string e;
        std::string o = RunTool("--home '" + home + "' " + args, status, "-C '" + work + "'", &e);
        // A sanitizer report that did not end the tool still fails the command.
        EXPECT_EQ(e.find("Sanitizer"), std::string::npos) << args << "\n" << e;
        EXPECT_EQ(e.find("runtime error"), std::string::npos) << args << "\n" << e;
        if (out) *out = o;
        if (err) *err = e;
        return status;
    }

    TempDir root;
    const std::string home = root / "home";
    const std::string work = root / "work";
};

// Every command once, with relative paths: they name places in the starting folder, never in the
// home folder the tool changes into.
TEST_F(ToolCommandLine, EveryCommandRunsWithPathsFromTheStartingFolder) {
    WriteBytes(work + "/lines.csv", "date,item,note,shop,income,expense\r\n2024-01-06,食費,取込,,0,200\r\n");
    WriteBytes(work + "/names.txt", "入金|給与|基本給|勤務先\n出金|食費|野菜|八百屋\n");
    const struct {
        const char* args;
        int status;
    } commands[] = {
        {"init --start 2024-01-01 --balance 99999999", 0},
        {"add --date 2024-01-05 --item 食費 --note 野菜 --expense 300", 0},
        {"ledger", 0},
        {"ledger --csv --encoding cp932", 0},
        {"check", 0},
        {"names --csv", 0},
        {"search 野菜", 0},
        {"budget --year 2024", 0},
        {"totals --date 2024-01-05", 0},
        {"settings", 0},
        {"eval 1200+300%", 0},
        {"backup --to stick --year 2024", 0},
        {"backup --to stick --names", 0},
        {"restore --from stick --year 2024", 0},
        {"import --dry-run lines.csv", 0},
        {"import lines.csv", 0},
        {"make-tbinit names.txt tables", 0},
    };
    for (const auto& c : commands) {
        std::string err;
        EXPECT_EQ(run(c.args, nullptr, &err), c.status) << c.args << "\n" << err;
    }
    EXPECT_TRUE(fs::exists(work + "/stick/Io2024.usr"));
    EXPECT_TRUE(fs::exists(work + "/stick/TBITEM.mrt"));
    EXPECT_TRUE(fs::exists(work + "/tables/TBSHOP.mrt"));
    EXPECT_FALSE(fs::exists(home + "/stick"));
    EXPECT_FALSE(fs::exists(home + "/tables"));
    std::string out;
    EXPECT_EQ(run("ledger --csv", &out), 0);
    EXPECT_NE(out.find("2024-01-06,食費,取込,,0,200,99999499"), std::string::npos) << out;
}

// A command that only reads says that the data folder is missing and creates nothing: not the
// folder given, not the default one, not Data1/ in a home that lacks it.
TEST_F(ToolCommandLine, ReadingCommandsCreateNoFolder) {
    WriteBytes(work + "/lines.csv", "date,item,note,shop,income,expense\r\n");
    const char* reading[] = {"ledger",
                             "settings",
                             "check",
                             "names",
                             "search 食費",
                             "budget --year 2024",
                             "totals --date 2024-01-01",
                             "backup --to stick --names",
                             "import --dry-run lines.csv"};
    fs::create_directories(root / "empty");
    const std::string userHome = root / "user";
    fs::create_directories(userHome);
    for (const char* args : reading) {
        for (const std::string& h : {std::string("../missing"), std::string("../empty")}) {
            std::string err;
            EXPECT_EQ(run(args, nullptr, &err, h), 1) << args << " " << h;
            EXPECT_NE(err.find("データフォルダがありません"), std::string::npos) << args << "\n" << err;
        }
        // Without --home: the default place below $HOME.
        int status = -1;
        RunTool(args, status, "-C '" + work + "' -u MRTKEL_HOME -u XDG_DATA_HOME HOME='" + userHome + "'");
        EXPECT_EQ(status, 1) << args;
    }
    EXPECT_FALSE(fs::exists(root / "missing"));
    EXPECT_TRUE(fs::is_empty(root / "empty"));
    EXPECT_TRUE(fs::is_empty(userHome));
    EXPECT_EQ(entries(work), std::vector<std::string>{"lines.csv"});
}

// A text that begins with "-" is searched after "--"; an unknown option or a blank text would
// list every line and is refused.
TEST_F(ToolCommandLine, SearchTakesTextsAfterTheOptionsAndRefusesBlankOnes) {
    ASSERT_EQ(run("init --start 2024-01-01 --balance 1000"), 0);
    ASSERT_EQ(run("add --date 2024-01-02 --item 食費 --note --dd --expense 100"), 0);
    ASSERT_EQ(run("add --date 2024-01-03 --item 食費 --note -x --expense 200"), 0);
    ASSERT_EQ(run("add --date 2024-01-04 --item 食費 --note ab --expense 300"), 0);
    std::string out;
    EXPECT_EQ(run("search --csv -- --dd", &out), 0);
    EXPECT_EQ(out, "date,item,note,shop,income,expense\r\n2024-01-02,食費,'--dd,,0,100\r\n");
    EXPECT_EQ(run("search --csv -x", &out), 0);
    EXPECT_EQ(out, "date,item,note,shop,income,expense\r\n2024-01-03,食費,'-x,,0,200\r\n");
    EXPECT_EQ(run("search --csv --min 300 -- --home", &out), 0);
    EXPECT_EQ(out, "date,item,note,shop,income,expense\r\n");
    // Without a text, the ranges alone choose.
    EXPECT_EQ(run("search --csv --min 300", &out), 0);
    EXPECT_EQ(out, "date,item,note,shop,income,expense\r\n2024-01-04,食費,ab,,0,300\r\n");

    std::string err;
    for (const char* args : {"search --dd", "search ''", "search '   '", "search \"$(printf '\\t \\t')\"",
                             "search '　'", "search -- ' '"}) {
        EXPECT_EQ(run(args, &out, &err), 2) << args;
        EXPECT_EQ(out, "") << args;
        EXPECT_FALSE(err.empty()) << args;
    }
}

// Where the C library cannot open the CP932 conversion, init says so and ends with 1 instead of
// aborting, and leaves no data folder behind.
TEST_F(ToolCommandLine, InitWithoutTheConversionModuleEndsWithAMessage) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    // The sanitizers' runtime would refuse a library preloaded before it.
    const std::string env = "LD_PRELOAD='" + std::string(MRTKEL_NO_ICONV) + "' ASAN_OPTIONS='" +
                            (asan ? std::string(asan) + ":" : std::string()) + "verify_asan_link_order=0'";
    int status = -1;
    std::string err;
    RunTool("--home '" + home + "' init --start 2024-01-01 --balance 1000", status, env, &err);
    EXPECT_EQ(status, 1) << err;
    EXPECT_NE(err.find(kCp932UnavailableMessage), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(home));
}

} // namespace
} // namespace mrt::test
