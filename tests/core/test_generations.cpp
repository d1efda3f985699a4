// Dated generations of the data folder: which dates thinning keeps, twenty days of a fifty-year
// ledger (dates, disk cost, restores byte for byte), a copy that does not verify, and a creation
// cut at every file-system call.
#include "backup/BackupData.h"
#include "backup/Generations.h"
#include "port/ConsoleDialogs.h"
#include "support/FaultFs.h"
#include "support/RunTool.h"
#include "support/ScriptedDialogs.h"
#include "test_ledger_fixture.h"
#include "util/Paths.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

CivilDate dateOf(const std::string& text) {
    CivilDate d;
    EXPECT_TRUE(ParseGenerationDate(text, d)) << text;
    return d;
}

std::string texts(const std::vector<CivilDate>& dates) {
    std::string s;
    for (const CivilDate& d : dates)
        s += (s.empty() ? "" : " ") + GenerationDateText(d).substr(5);
    return s;
}

// Generations made on every day from `first` to `last` (or only on `days`), thinned after each as
// a start does; the dates left on `last`.
std::string simulate(const std::string& first, const std::string& last, const GenerationCounts& counts,
                     const std::set<std::string>& only = {}) {
    std::vector<CivilDate> kept;
    for (int64_t day = DayNumber(dateOf(first)); day <= DayNumber(dateOf(last)); ++day) {
        const CivilDate today = DateOfDayNumber(day);
        if (only.empty() || only.count(GenerationDateText(today))) kept.push_back(today);
        kept = GenerationsToKeep(kept, today, counts);
    }
    return texts(kept);
}

TEST(GenerationRules, DatesKeptAfterASequenceOfDays) {
    const GenerationCounts standard; // 7 days, 5 weeks, 12 months
    struct Case {
        const char* what;
        const char* first;
        const char* last;
        GenerationCounts counts;
        std::set<std::string> only;
        const char* kept;
    } cases[] = {
        {"ten days: the last seven",
         "2026-12-01",
         "2026-12-10",
         standard,
         {},
         "12-04 12-05 12-06 12-07 12-08 12-09 12-10"},
        {"two months: Sundays, then the newest of October",
         "2026-10-01",
         "2026-12-10",
         standard,
         {},
         "10-31 11-01 11-08 11-15 11-22 11-29 11-30 12-04 12-05 12-06 12-07 12-08 12-09 12-10"},
        {"two years: month ends of the last twelve months",
         "2025-01-01",
         "2026-12-10",
         standard,
         {},
         "01-31 02-28 03-31 04-30 05-31 06-30 07-31 08-31 09-30 10-31 11-01 11-08 11-15 11-22 11-29 11-30 12-04 12-05 "
         "12-06 12-07 12-08 12-09 12-10"},
        {"leap February and a year turn",
         "2023-12-20",
         "2024-03-05",
         GenerationCounts{2, 1, 3},
         {},
         "01-31 02-29 03-03 03-04 03-05"},
        {"rare changes", "2026-01-01", "2026-12-10", standard, {"2026-06-15", "2026-12-01"}, "06-15 12-01"},
        {"the newest stays however old", "2019-05-05", "2026-12-10", standard, {"2019-05-04", "2019-05-05"}, "05-05"},
        {"no counts: the newest alone", "2026-12-01", "2026-12-10", GenerationCounts{0, 0, 0}, {}, "12-10"},
        {"three days and two weeks",
         "2026-11-01",
         "2026-12-10",
         GenerationCounts{3, 2, 0},
         {},
         "11-29 12-06 12-08 12-09 12-10"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(simulate(c.first, c.last, c.counts, c.only), c.kept) << c.what;
}

TEST(GenerationRules, DatesAndCountsAreReadStrictly) {
    CivilDate d;
    EXPECT_TRUE(ParseGenerationDate("2024-02-29", d));
    for (const char* bad : {"2023-02-29", "2026-13-01", "2026-1-01", "2026-12-07x", "2026/12/07", ""})
        EXPECT_FALSE(ParseGenerationDate(bad, d)) << bad;
    for (int64_t day : {-1, 0, 19699, 20429, 2932896})
        EXPECT_EQ(DayNumber(DateOfDayNumber(day)), day);

    TempDir home;
    WriteBytes(home / "mrtkel.conf", "GenerationDays=3\nGenerationWeeks=x\nGenerationMonths=-4\n");
    const GenerationCounts c = ReadGenerationCounts(home.path());
    EXPECT_EQ(c.days, 3);
    EXPECT_EQ(c.weeks, 5); // unreadable: the default
    EXPECT_EQ(c.months, 0);
}

// A home of the years `first`..2026, twenty lines a month, and the item table.
class Generations : public ::testing::Test {
protected:
    void makeHome(int first) {
        data = home / "Data1/";
        bu = data + "BU/";
        fs::create_directories(bu);
        WriteBytes(data + "TBITEM.mrt", ReadBytes(std::string(MRTKEL_TEST_DATA) + "/names/TBITEM.mrt"));
        for (int y = first; y <= 2026; ++y)
            for (int m = 1; m <= 12; ++m) {
                model[y].months[m - 1].capacity = 21;
                model[y].months[m - 1].lines = monthLines(y, m, 20, 100 + y % 7);
            }
        model[first].months[0].lines[0] = Line{first, 1, 1, "初期残高", "", "", 0, 0, 500000};
        recomputeModel(model);
        writeModel(data, model);
    }

    // One more line in a month of `year` (its capacity grown), both of its files rewritten.
    void changeYear(int year, int tag) {
        MonthSpec& ms = model[year].months[tag % 12];
        ms.lines.push_back(Line{year, tag % 12 + 1, 28, "L" + std::to_string(1000 + tag), "", "", 0, 50, 0});
        ms.capacity = static_cast<int>(ms.lines.size()) + 1;
        recomputeModel(model);
        LedgerModel one{{year, model[year]}};
        writeModel(data, one);
    }

    Files dataFiles() const {
        Files f;
        for (const auto& e : fs::directory_iterator(data))
            if (e.is_regular_file()) f[e.path().filename().string()] = ReadBytes(e.path().string());
        return f;
    }

    Files filesOf(const std::string& folder) const {
        Files f;
        for (const auto& e : fs::directory_iterator(folder))
            if (e.is_regular_file()) f[e.path().filename().string()] = ReadBytes(e.path().string());
        return f;
    }

    std::vector<std::string> goodDates() const {
        std::vector<std::string> v;
        for (const GenerationInfo& g : ListGenerations(bu))
            if (g.good) v.push_back(GenerationDateText(g.date));
        return v;
    }

    // Files are written as in the program; flushes and folder syncs stay in memory (the fault
    // test below covers durability), which keeps the fifty-year home quick to copy.
    FaultFs noSync{""};
    ScopedFileSystem useNoSync{noSync};

    int keep(const std::string& day, GenerationReport& report, GenerationCounts counts = {}) {
        return KeepGeneration(data, bu, dateOf(day), counts, report);
    }

    TempDir home;
    std::string data, bu;
    LedgerModel model;
};

int64_t distinctBytes(const std::string& folder) {
    std::set<std::pair<dev_t, ino_t>> seen;
    int64_t bytes = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        struct stat st;
        if (!e.is_regular_file() || ::stat(e.path().c_str(), &st) != 0) continue;
        if (seen.insert({st.st_dev, st.st_ino}).second) bytes += st.st_size;
    }
    return bytes;
}

TEST_F(Generations, TwentyDaysKeepTheirDatesCostLittleAndRestoreByteForByte) {
    makeHome(1977);
    std::map<std::string, Files> dayFiles;
    int64_t oneCopy = 0;
    for (int i = 0; i < 20; ++i) {
        const std::string day = GenerationDateText(DateOfDayNumber(DayNumber(dateOf("2026-11-21")) + i));
        const bool changed = i == 0 || i % 4 != 3;
        if (i > 0 && changed) changeYear(i % 3 == 0 ? 1990 + i : 2026, i);
        if (i == 16) writeModel(data, {{2027, YearSpec{}}}); // a year begun (an information file only)
        GenerationReport report;
        ASSERT_EQ(keep(day, report), 0) << day << ": " << report.failure.reason;
        EXPECT_EQ(report.made, changed) << day;
        EXPECT_FALSE(report.keptAside) << day << ": " << report.failure.reason;
        if (changed) dayFiles[day] = dataFiles();
        oneCopy = 0;
        for (const auto& [name, bytes] : dataFiles())
            oneCopy += static_cast<int64_t>(bytes.size());
    }
    // Nov 24, 28, Dec 2, 6 and 10 changed nothing; Dec 10 is a Thursday, Nov 30 the newest of November.
    EXPECT_EQ(goodDates(), (std::vector<std::string>{"2026-11-22", "2026-11-29", "2026-11-30", "2026-12-04",
                                                     "2026-12-05", "2026-12-07", "2026-12-08", "2026-12-09"}));
    const int64_t cost = distinctBytes(bu + "gen");
    EXPECT_LE(cost, 2 * oneCopy) << cost << " bytes for generations of a " << oneCopy << "-byte data folder";
    EXPECT_GE(cost, oneCopy);

    // Back to the oldest, a middle and the newest day, whole: Inf2027.usr, begun on Dec 7, goes
    // again for the days before.
    ConsoleDialogs quiet;
    for (const std::string day : {"2026-11-22", "2026-12-05", "2026-12-09"}) {
        GenerationInfo gen;
        ASSERT_TRUE(FindGoodGeneration(bu, day, gen)) << day;
        std::vector<std::string> copied;
        CopyFailure failure;
        bool changed = false;
        ASSERT_EQ(RestoreGeneration(gen, kWholeGenerationKind, 0, data, quiet, copied, failure, changed), 0)
            << day << ": " << failure.file << " " << failure.reason;
        EXPECT_TRUE(dataFiles() == dayFiles[day]) << day;
    }
    // One year of an older day into the newest data.
    GenerationInfo newest, older;
    ASSERT_TRUE(FindGoodGeneration(bu, "2026-12-09", newest));
    ASSERT_TRUE(FindGoodGeneration(bu, "2026-11-22", older));
    std::vector<std::string> copied;
    CopyFailure failure;
    bool changed = false;
    ASSERT_EQ(RestoreGeneration(newest, kWholeGenerationKind, 0, data, quiet, copied, failure, changed), 0);
    ASSERT_EQ(RestoreGeneration(older, kLedgerYearKind, 2026, data, quiet, copied, failure, changed), 0)
        << failure.reason;
    Files expected = dayFiles["2026-12-09"];
    expected["Inf2026.usr"] = dayFiles["2026-11-22"]["Inf2026.usr"];
    expected["Io2026.usr"] = dayFiles["2026-11-22"]["Io2026.usr"];
    EXPECT_TRUE(dataFiles() == expected);
    EXPECT_NE(RestoreGeneration(older, kLedgerYearKind, 2031, data, quiet, copied, failure, changed), 0);
    EXPECT_FALSE(changed);
}

TEST_F(Generations, ACopyThatDoesNotVerifyIsKeptAsideAndNeverTheNewestGood) {
    makeHome(2020);
    GenerationReport report;
    ASSERT_EQ(keep("2026-12-01", report), 0);
    // A year file cut off in the middle of a record (damaged after the start had read it).
    std::string io = ReadBytes(data + "Io2026.usr");
    const std::string sound = io;
    io.resize(io.size() - 50);
    WriteBytes(data + "Io2026.usr", io);
    ASSERT_EQ(keep("2026-12-02", report), 0);
    EXPECT_FALSE(report.made);
    EXPECT_TRUE(report.keptAside);
    EXPECT_EQ(report.failure.file, "Io2026.usr");
    EXPECT_EQ(report.folder, bu + "gen/2026-12-02.bad/");
    EXPECT_EQ(goodDates(), std::vector<std::string>{"2026-12-01"});
    GenerationInfo gen;
    EXPECT_FALSE(FindGoodGeneration(bu, "2026-12-02", gen));

    // The next day's sound data is compared with (and linked to) the good one, not the aside one.
    WriteBytes(data + "Io2026.usr", sound);
    ASSERT_EQ(keep("2026-12-03", report), 0);
    EXPECT_TRUE(report.made);
    EXPECT_EQ(goodDates(), (std::vector<std::string>{"2026-12-01", "2026-12-03"}));
    const std::vector<GenerationInfo> all = ListGenerations(bu);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_FALSE(all[1].good);
    EXPECT_EQ(all[2].bytes, all[0].bytes);
    EXPECT_EQ(all[2].ownBytes, static_cast<int64_t>(sound.size())); // only the rewritten file is new

    // The tool lists the three and restores the good one only.
    int status = 0;
    const std::string listing = RunTool("--home " + home.path() + " backup --list-generations", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(listing.find("2026-12-01  "), std::string::npos) << listing;
    EXPECT_NE(listing.find("2026-12-02  "), std::string::npos) << listing;
    EXPECT_NE(listing.find("確認できず"), std::string::npos) << listing;
    RunTool("--home " + home.path() + " restore --generation 2026-12-02", status);
    EXPECT_EQ(status, 1);
    WriteBytes(data + "Io2026.usr", io);
    const std::string out = RunTool("--home " + home.path() + " restore --generation 2026-12-03 --year 2026", status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(ReadBytes(data + "Io2026.usr"), sound);
}

ino_t inodeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST_F(Generations, AChangedFileIsLinkedToItsBackupCopyOnlyWhenThatIsTheSame) {
    makeHome(2025);
    // The backup folder as a start leaves it: copies with the data files' times; one stale copy.
    for (const auto& e : fs::directory_iterator(data)) {
        if (!e.is_regular_file()) continue;
        const std::string name = e.path().filename().string();
        fs::copy_file(e.path(), bu + name);
        struct stat st;
        ::stat(e.path().c_str(), &st);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, (bu + name).c_str(), times, 0);
    }
    WriteBytes(bu + "Io2025.usr", ReadBytes(data + "Io2025.usr").replace(0, 2, "\x01\x02"));
    GenerationReport report;
    ASSERT_EQ(keep("2026-12-01", report), 0);
    ASSERT_TRUE(report.made) << report.failure.reason;
    const std::string gen = bu + "gen/2026-12-01/";
    EXPECT_EQ(inodeOf(gen + "Io2026.usr"), inodeOf(bu + "Io2026.usr"));
    EXPECT_NE(inodeOf(gen + "Io2025.usr"), inodeOf(bu + "Io2025.usr"));
    EXPECT_TRUE(filesOf(gen) == dataFiles());

    // Where the file system has no hard links, every file is copied.
    changeYear(2026, 3);
    FaultFs noLinks("");
    noLinks.NoLinks();
    SetFileSystem(&noLinks);
    ASSERT_EQ(keep("2026-12-02", report), 0);
    SetFileSystem(&noSync);
    ASSERT_TRUE(report.made) << report.failure.reason;
    EXPECT_TRUE(filesOf(bu + "gen/2026-12-02") == dataFiles());
    EXPECT_EQ(ListGenerations(bu).back().ownBytes, ListGenerations(bu).back().bytes);
}

TEST_F(Generations, TheRestoreCommandOffersTheGenerationsNewestFirst) {
    makeHome(2024);
    GenerationReport report;
    ASSERT_EQ(keep("2026-12-01", report), 0);
    const Files first = dataFiles();
    changeYear(2026, 1);
    ASSERT_EQ(keep("2026-12-02", report), 0);
    changeYear(2025, 2);
    const Files now = dataFiles();

    ScriptedDialogs dlg;
    bool changed = true;
    dlg.expect("SubMenuH", kGenerationKind);
    dlg.expect("SubMenu", -1);
    dlg.expect("MsgOK").expectMessage("データの復帰に失敗しました。");
    EXPECT_EQ(RunBackupCommand(kRestoreDirection, home.path(), data, dlg, &changed), -1);
    EXPECT_FALSE(changed);
    EXPECT_TRUE(dataFiles() == now);
    const DialogCall& list = dlg.transcript()[1];
    EXPECT_EQ(list.title, "復帰する保存世代を選択して下さい。");
    ASSERT_EQ(list.buttons.size(), 2u);
    EXPECT_EQ(list.buttons[0].substr(0, 24), "  2026年12月02日(水)");
    EXPECT_EQ(list.buttons[1].substr(0, 24), "  2026年12月01日(火)");

    dlg.expect("SubMenuH", kGenerationKind);
    dlg.expect("SubMenu", 2);
    dlg.expect("SubMenuH", 1);
    dlg.expect("MsgKel2", 1).expectMessage("( 2026-12-01 の保存世代の すべてのデータ をシステムへ )");
    dlg.expect("MsgOK").expectMessage("データの復帰が完了しました。");
    EXPECT_EQ(RunBackupCommand(kRestoreDirection, home.path(), data, dlg, &changed), 0);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(dataFiles() == first);
}

TEST_F(Generations, ACreationCutAtAnyCallLeavesTheOlderGenerationsAndTheData) {
    makeHome(2023);
    GenerationReport report;
    for (const char* day : {"2026-11-03", "2026-11-04", "2026-11-05"}) {
        changeYear(2026, day[9] - '0');
        ASSERT_EQ(keep(day, report), 0);
    }
    changeYear(2024, 5);
    const Files data0 = dataFiles();
    std::map<std::string, Files> before;
    for (const std::string& d : goodDates())
        before[d] = filesOf(bu + "gen/" + d);
    const std::string root = bu + "gen";
    const std::string saved = home / "saved";
    fs::copy(root, saved, fs::copy_options::recursive);

    int calls = 0;
    {
        FaultFs fs(root);
        ScopedFileSystem use(fs);
        ASSERT_EQ(keep("2026-12-10", report), 0);
        calls = fs.Calls();
    }
    SetFileSystem(&noSync);
    // Nov 3 and 4 are thinned away; Nov 5 is the newest of its week and of November.
    const std::vector<std::string> after = {"2026-11-05", "2026-12-10"};
    ASSERT_EQ(goodDates(), after);
    ASSERT_GT(calls, 3);
    for (int n = 1; n <= calls; ++n) {
        for (bool kill : {true, false}) {
            SCOPED_TRACE("call " + std::to_string(n) + (kill ? " killed" : " failed"));
            fs::remove_all(root);
            fs::copy(saved, root, fs::copy_options::recursive);
            {
                FaultFs fs(root);
                if (kill)
                    fs.CrashAt(n);
                else
                    fs.FailCall(n);
                ScopedFileSystem use(fs);
                keep("2026-12-10", report);
            }
            SetFileSystem(&noSync);
            EXPECT_TRUE(dataFiles() == data0);
            // Every dated folder is whole: an older one as it was, today's as the data.
            for (const std::string& d : goodDates())
                EXPECT_TRUE(filesOf(root + "/" + d) == (d == "2026-12-10" ? data0 : before[d])) << d;
            EXPECT_TRUE(fs::exists(root + "/2026-11-05"));
            // The next start finishes the work.
            ASSERT_EQ(keep("2026-12-10", report), 0);
            EXPECT_EQ(goodDates(), after);
            EXPECT_TRUE(filesOf(root + "/2026-12-10") == data0);
            for (const auto& e : fs::directory_iterator(root))
                EXPECT_FALSE(IsTempFileName(e.path().filename().string())) << e.path();
        }
    }
}

} // namespace
} // namespace mrt::test
