#pragma once
#include <functional>
#include <string>

namespace mrt {

class DataLock;

// Readers that take no folder lock (the tool's reading commands, printouts for scripts) see the
// files of one committed state through the commit gate, "<home>/.mrtkel.gate": the program that
// holds the home's DataLock takes the gate's lock exclusively and counts one up for each commit,
// from before its journal is written until the journal is removed; a reader reads the count under
// a shared lock (so it waits for a commit under way) before and after it reads, and reads again
// when the count changed. Only writers create the file; a home without it has seen no commit.
inline constexpr const char* kCommitGateName = ".mrtkel.gate";

// Done by DataLock: opens (creating it) the gate of `home` for this process's commits and returns
// its descriptor, -1 when it cannot be opened (commits then pass without it). Either way the
// process counts as a writer until CloseCommitGate is given the result.
int OpenCommitGate(const std::string& home);
void CloseCommitGate(int gate);
// True while this process holds a home's DataLock: no other program commits there then.
bool CommitGateHeld();

// Held by a commit (and a recovery) from before its journal is written until it is removed; does
// nothing when this process holds no gate. Sections may nest.
class CommitSection {
public:
    CommitSection();
    ~CommitSection();
    CommitSection(const CommitSection&) = delete;
    CommitSection& operator=(const CommitSection&) = delete;

private:
    int m_fd = -1;
};

// Runs of a reader before it holds the gate's shared lock over a run.
inline constexpr int kFreeReadRuns = 4;

// Runs `read` until one run saw no commit of another program in `home` start or end, and returns
// that run's result. Before each repeat `discard` drops what the run produced (its output, say).
// A run during which this process took the home's lock is kept as it is: from then on nothing
// else commits. After a few repeats the shared lock is held over the whole run, so a reader always
// ends, a commit waiting for it meanwhile.
int ReadCommitted(const std::string& home, const std::function<int()>& read, const std::function<void()>& discard);

// Inside a run of ReadCommitted, by a reader that has opened every file it goes on to read: true
// when no commit of another program started or ended since the run began. The run is then kept
// whatever commits come later, for a commit renames new files over the old ones and never writes
// into a file, so the files open already keep the bytes of that state; the gate's shared lock, if
// the run held it, is let go. False when a commit came between: the reader ends the run, which is
// run again. True outside ReadCommitted.
bool HoldCommittedRun();

// For a reader that holds no lock and finds the journal of an unfinished commit in `dataFolder`:
// a commit that another program is making is waited for; one a crash cut short is finished or
// undone after taking `lock`, which stays held. 0 when no unfinished commit is left; -1 with
// `error` set to the message for the user (the folder is in use, or the recovery failed).
int SettleUnfinishedCommit(const std::string& home, const std::string& dataFolder, DataLock& lock, std::string& error);

} // namespace mrt
