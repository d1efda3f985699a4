// Readers that hold no lock beside another program's saves: a read that a save overlaps is read
// again, so each read shows the files of one committed state; writers never wait long for readers.
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerCsv.h"
#include "port/ConsoleDialogs.h"
#include "support/RunTool.h"
#include "support/TempDir.h"
#include "test_ledger_fixture.h"
#include "util/CommitGate.h"
#include "util/CommitJournal.h"
#include "util/DataLock.h"
#include "util/FileSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;

// Three years of lines (`perMonth` a month), written byte by byte: no program has committed in
// this home yet.
LedgerModel writeLedger(const std::string& home, int perMonth = 4) {
    LedgerModel model;
    for (int y = 2021; y <= 2023; ++y)
        for (int m = 1; m <= 12; ++m)
            model[y].months[m - 1].lines = monthLines(y, m, perMonth, 100 + m, m * 10);
    model[2021].months[0].lines.insert(model[2021].months[0].lines.begin(),
                                       Line{2021, 1, 1, "初期残高", "", "", 0, 0, 100000});
    recomputeModel(model);
    writeModel(home + "/Data1", model);
    return model;
}

// The two readers of the tool that read most: the listing and the check.
std::string listing(const std::string& home) {
    ConsoleDialogs dlg;
    LedgerState st;
    st.index.SetDataFolder(home + "/Data1/");
    st.MaxBlockLines = INT_MAX;
    CsvWriter csv;
    if (ScanLedgerYears(st, dlg) != 0 || WriteLedgerCsv(st.index, 0, 99999999, false, csv, dlg) < 0)
        return "unreadable";
    return std::string(csv.Data());
}

std::string checkReport(const std::string& home) {
    LedgerIndex idx;
    idx.SetDataFolder(home + "/Data1/");
    std::string report;
    for (const std::string& p : CheckLedgerFiles(idx))
        report += p + "\n";
    return report;
}

using Reader = std::string (*)(const std::string&);

// Another program's save: the tool adds a line to February 2021, rewriting its year files.
void save(const std::string& home, int n) {
    int status = -1;
    RunTool("--home '" + home + "' add --date 2021-02-10 --item 食費 --note w" + std::to_string(n) + " --expense 500",
            status);
    ASSERT_EQ(status, 0) << "save " << n;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Runs `onOpen` when the reader is about to open (or read) a file named `name` while armed, and
// disarms; the first `pass` such moments are let by.
class ReadHook {
public:
    ReadHook(const std::string& name, std::function<void()> onOpen, int pass = 0) {
        SetReadHook([this, name, pass, onOpen = std::move(onOpen)](const std::string& path) mutable {
            if (armed && endsWith(path, "/" + name) && pass-- <= 0) {
                armed = false;
                onOpen();
            }
        });
    }
    ~ReadHook() { SetReadHook({}); }
    bool armed = true;
};

struct Case {
    const char* what;
    Reader read;
    const char* saveBefore; // the file the reader is about to open when the save runs
};

// The year files of 2021 change; the reader has read their information file (or all of them)
// and is about to read the year file, or has read 2021's information file and not 2022's.
const Case kCases[] = {
    {"listing, before the year file", listing, "Io2021.usr"},
    {"listing, between information files", listing, "Inf2022.usr"},
    {"check, before the year file", checkReport, "Io2021.usr"},
};

TEST(CommittedReads, ASaveBetweenTwoReadsIsReadAgainFromTheSavedState) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        TempDir home;
        writeLedger(home.path());
        int saves = 0;

        // First with no gate in the home (readers make none): the save creates it while the
        // reader reads.
        std::string first;
        ReadCommitted(
            home.path(), [&] { return first = c.read(home.path()), 0; }, [] {});
        ASSERT_NE(first, "unreadable");
        ASSERT_FALSE(fs::exists(home / kCommitGateName)) << "a reader made the gate";
        for (int round = 0; round < 2; ++round) {
            int runs = 0;
            std::string got;
            {
                ReadHook hook(c.saveBefore, [&] { save(home.path(), ++saves); });
                ReadCommitted(
                    home.path(),
                    [&] {
                        ++runs;
                        got = c.read(home.path());
                        return 0;
                    },
                    [&] { got.clear(); });
                EXPECT_FALSE(hook.armed);
            }
            EXPECT_EQ(runs, 2) << "round " << round;
            EXPECT_EQ(got, c.read(home.path())) << "round " << round;
        }

        // The same interleaving without the gate tears the read: the test catches what it claims.
        const std::string last = c.read(home.path());
        std::string plain;
        {
            ReadHook hook(c.saveBefore, [&] { save(home.path(), ++saves); });
            plain = c.read(home.path());
        }
        EXPECT_NE(plain, last);
        EXPECT_NE(plain, c.read(home.path()));
    }
}

// The listing as the tool makes it: every year file opened first, then the lines streamed from
// them once the run is held. -1 when the run must be read again.
int heldListing(const std::string& home, std::string& out) {
    ConsoleDialogs dlg;
    LedgerState st;
    st.index.SetDataFolder(home + "/Data1/");
    st.MaxBlockLines = INT_MAX;
    LedgerYearFiles years;
    std::string why;
    if (ScanLedgerYears(st, dlg) != 0 || !years.Open(st.index, dlg, why)) return out = "unreadable", 1;
    if (!HoldCommittedRun()) return -1;
    CsvWriter csv;
    csv.StreamTo([&](std::string_view chunk) { return out.append(chunk), true; }, 4096);
    if (WriteLedgerCsv(st.index, 0, 99999999, false, csv, dlg, &why, &years) < 0 || !csv.Finish())
        return out = "unreadable", 1;
    return 0;
}

// A save while the files are being opened reads them again; one while the lines of the second year
// go out changes nothing of the listing: its files were open before, and it shows the state before.
TEST(CommittedReads, AStreamedListingShowsTheStateItsFilesWereOpenedIn) {
    struct Step {
        const char* what;
        int pass; // moments at Io2022.usr let by: its opening, then its reading
        int runs;
        bool showsSave;
    };
    for (const Step& step : {Step{"opening", 0, 2, true}, Step{"reading", 1, 1, false}}) {
        SCOPED_TRACE(step.what);
        TempDir home;
        writeLedger(home.path(), 40);
        save(home.path(), 1); // the gate exists
        const std::string before = listing(home.path());
        int runs = 0;
        std::string got;
        {
            ReadHook hook(
                "Io2022.usr", [&] { save(home.path(), 2); }, step.pass);
            ReadCommitted(
                home.path(),
                [&] {
                    ++runs;
                    return heldListing(home.path(), got);
                },
                [&] { got.clear(); });
            EXPECT_FALSE(hook.armed);
        }
        const std::string after = listing(home.path());
        ASSERT_NE(before, after);
        EXPECT_EQ(runs, step.runs);
        EXPECT_EQ(got, step.showsSave ? after : before);
    }
    // The same save in the middle of a walk that opens each year file as it comes tears the listing.
    TempDir home;
    writeLedger(home.path(), 40);
    const std::string before = listing(home.path());
    std::string torn;
    {
        ReadHook hook("Io2022.usr", [&] { save(home.path(), 1); });
        torn = listing(home.path());
    }
    EXPECT_NE(torn, before);
    EXPECT_NE(torn, listing(home.path()));
}

// True once another process waits for the lock of the home's gate (as /proc/locks shows), false
// when `gaveUp` turns true or after 20 s.
bool waiterAtGate(const std::string& home, const std::function<bool()>& gaveUp) {
    struct stat st {};
    if (::stat((home + "/" + kCommitGateName).c_str(), &st) != 0) return false;
    const std::string inode = ":" + std::to_string(st.st_ino) + " ";
    for (int i = 0; i < 2000 && !gaveUp(); ++i) {
        std::ifstream locks("/proc/locks");
        for (std::string line; std::getline(locks, line);)
            if (line.find("->") != std::string::npos && line.find(inode) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A reader that a save overlaps on every run holds the gate over its last run: the save then
// waits for it (and succeeds afterwards) instead of the reader trying for ever.
TEST(CommittedReads, AReaderOutrunByEverySaveHoldsTheGateAtLast) {
    TempDir home, twin;
    writeLedger(home.path());
    writeLedger(twin.path());
    for (int n = 1; n <= kFreeReadRuns; ++n)
        save(twin.path(), n);
    const std::string expected = listing(twin.path());

    int runs = 0;
    std::future<int> lateSave;
    std::string got;
    ReadHook hook("Io2021.usr", [&] {
        if (runs <= kFreeReadRuns) return save(home.path(), runs);
        lateSave = std::async(std::launch::async, [&] {
            int status = -1;
            RunTool("--home '" + home.path() + "' add --date 2021-02-10 --item 食費 --note late --expense 1", status);
            return status;
        });
        // The save reaches its commit while this run still reads, and waits there.
        EXPECT_TRUE(waiterAtGate(
            home.path(), [&] { return lateSave.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    });
    ReadCommitted(
        home.path(),
        [&] {
            ++runs;
            hook.armed = true;
            got = listing(home.path());
            return 0;
        },
        [&] { got.clear(); });
    EXPECT_EQ(runs, kFreeReadRuns + 1);
    EXPECT_EQ(got, expected);
    ASSERT_TRUE(lateSave.valid());
    EXPECT_EQ(lateSave.get(), 0);
    EXPECT_NE(listing(home.path()).find(",late,"), std::string::npos);
}

template <typename T> bool ready(std::future<T>& f) {
    return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// A reading command of the tool that meets the journal of a save another program is making waits
// for the save to end and lists its result (it used to stop, saying the folder is in use).
TEST(CommittedReads, AToolReaderWaitsForASaveUnderWay) {
    TempDir home;
    LedgerModel next = writeLedger(home.path());
    next[2023].months[11].lines.push_back(Line{2023, 12, 30, "書籍", "", "", 0, 1200, 0});
    recomputeModel(next);
    const std::string data = home / "Data1";
    DataLock program;
    ASSERT_TRUE(program.Acquire(home.path()));
    int status = -1;
    std::future<std::string> reader;
    {
        CommitSection saving; // the program's save has written its journal and not renamed yet
        const std::string tag = "5a5a5a5a";
        WriteBytes(data + "/" + StagedName("Io2023.usr", tag), yearFileBytes(next[2023]));
        WriteBytes(data + "/" + StagedName("Inf2023.usr", tag), infFileBytes(next[2023]));
        WriteBytes(data + "/" + kCommitJournalName,
                   EncodeJournal(Journal{tag, {{false, true, "Io2023.usr"}, {false, true, "Inf2023.usr"}}}));
        reader = std::async(std::launch::async,
                            [&] { return RunTool("--home '" + home.path() + "' ledger --csv", status); });
        ASSERT_TRUE(waiterAtGate(home.path(), [&] { return ready(reader); }));
        std::string error;
        ASSERT_EQ(RecoverDataFolder(data, error), 0) << error; // the save goes on to its end
    }
    const std::string out = reader.get();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, listing(home.path()));
    EXPECT_NE(out.find("2023-12-30,書籍"), std::string::npos) << out;
}

// The tool itself, held up by the system-call tracer just before it opens a year file while the
// tool saves in another process: the listing and the check show the state before or after it.
TEST(CommittedReads, AToolReaderSlowedBetweenItsReadsShowsOneSavedState) {
    if (std::system("strace -qq -o /dev/null true >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace cannot trace here";
    for (const std::string command : {"ledger --csv", "check"}) {
        SCOPED_TRACE(command);
        TempDir home, scratch;
        writeLedger(home.path());
        const std::string tool = "--home '" + home.path() + "' " + command;
        int status = -1;
        const std::string before = RunTool(tool, status);
        ASSERT_EQ(status, 0);
        const std::string trace = scratch / "trace", out = scratch / "out";
        auto reader = std::async(std::launch::async, [&] {
            // The leak checker of a sanitizer build refuses to run under a tracer.
            const std::string cmd = "ASAN_OPTIONS=\"${ASAN_OPTIONS:-}:detect_leaks=0\" strace -qq -o '" + trace +
                                    "' -P '" + home.path() +
                                    "/Data1/Io2021.usr' -e trace=openat -e inject=openat:delay_enter=2000000:when=1 '" +
                                    MRTKEL_TOOL_PATH + "' " + tool + " >'" + out + "' 2>/dev/null";
            const int rc = std::system(cmd.c_str());
            return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        });
        bool held = false;
        for (int i = 0; i < 2000 && !held && !ready(reader); ++i) {
            held = ReadBytes(trace).find("openat(") != std::string::npos;
            if (!held) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(held) << "the reader never opened the year file";
        save(home.path(), 1);
        EXPECT_EQ(reader.get(), 0);
        const std::string after = RunTool(tool, status), got = ReadBytes(out);
        EXPECT_TRUE(got == before || got == after) << got;
    }
}

// The tool's listing held up by the tracer at its first read of the third year, after the first
// chunks went out, while the tool saves in another process: it goes on from the files it opened
// and shows the state before the save.
TEST(CommittedReads, AToolListingHeldAfterItsFirstChunksShowsTheStateBefore) {
    if (std::system("strace -qq -o /dev/null true >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace cannot trace here";
    TempDir home, scratch;
    writeLedger(home.path(), 150); // two years make more than one chunk of CSV
    const std::string tool = "--home '" + home.path() + "' ledger --csv";
    int status = -1;
    const std::string before = RunTool(tool, status);
    ASSERT_EQ(status, 0);
    const std::string trace = scratch / "trace", out = scratch / "out";
    auto reader = std::async(std::launch::async, [&] {
        const std::string cmd = "ASAN_OPTIONS=\"${ASAN_OPTIONS:-}:detect_leaks=0\" strace -qq -o '" + trace + "' -P '" +
                                home.path() + "/Data1/Io2023.usr' -e trace=pread64 " +
                                "-e inject=pread64:delay_enter=2000000:when=2 '" + MRTKEL_TOOL_PATH + "' " + tool +
                                " >'" + out + "' 2>/dev/null";
        const int rc = std::system(cmd.c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    });
    // The first read of the newest year is the scan's look at its last line; the second, the walk's.
    bool held = false;
    for (int i = 0; i < 2000 && !held && !ready(reader); ++i) {
        const std::string t = ReadBytes(trace);
        held = t.find("pread64(") != t.rfind("pread64(");
        if (!held) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(held) << "the listing never read the third year";
    // The first years went out before the third was read: the listing is not held back whole.
    const std::string early = ReadBytes(out);
    EXPECT_GT(early.size(), 0u);
    EXPECT_TRUE(early == before.substr(0, early.size()));
    save(home.path(), 1);
    EXPECT_EQ(reader.get(), 0);
    EXPECT_TRUE(ReadBytes(out) == before);
    EXPECT_FALSE(RunTool(tool, status) == before);
}

} // namespace
} // namespace mrt::test
