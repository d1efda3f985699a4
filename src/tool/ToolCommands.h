#pragma once
#include "port/Dialogs.h"
#include "settings/IniRecord.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mrt {

// What a subcommand needs of the home folder.
enum class HomeUse {
    Reads,    // nothing is created; once its arguments are read the command calls requireDataFolder
    Writes,   // the home folder is created when it is missing
    Optional, // runs on the settings of a home folder when there is one, else on the defaults
};

// What a mrtkel-tool subcommand gets: the home folder (made the current folder when it exists), the
// settings read from Data1/INIT.mrt (defaults when missing), dialogs that print messages to
// stderr and answer every question with its cancel/no value, and its own arguments.
struct ToolContext {
    std::string home;
    std::string dataFolder;     // the chosen book's folder: home + "/Data1/" without --book (letter case resolved)
    bool allBooks = false;      // --book all: commands that sum up take every book of the home
    std::string resourceFolder; // read-only resources (TbInit/); may be empty
    std::string workingFolder;  // the current folder when the tool started, for relative paths
    IniRecord settings;
    // Set when the settings file exists but cannot be read (file and reason); only `check` runs
    // then, with the default settings, and reports it.
    std::string settingsProblem;
    Dialogs* dialogs = nullptr;
    std::vector<std::string> args;

    // Value of "--name VALUE" or "--name=VALUE" in args; nullopt when absent.
    std::optional<std::string> option(const std::string& name) const;
    // True when "--name" is present.
    bool flag(const std::string& name) const;
    // Arguments that are neither options nor option values (needs the names of options with values).
    // A "--" ends the options: every argument after it is positional, also one that begins with "-".
    std::vector<std::string> positional(const std::vector<std::string>& valueOptions) const;
    // The first "--name" or "--name=..." (before "--") that is not in `known`; empty when none.
    std::string unknownOption(const std::vector<std::string>& known) const;
    // A path given on the command line, made absolute against the folder the tool was started in.
    std::string argumentPath(const std::string& path) const;
    // True when the data folder exists; otherwise false after saying so on stderr for `cmd`.
    bool requireDataFolder(const char* cmd) const;
    // Takes the home folder's write lock and finishes or undoes a save a crash cut short; false
    // (after a message on stderr) when another program holds the lock or the recovery failed.
    // Commands that write call this first.
    bool lockForWriting();
    // Called by a reading command once it has opened every file it goes on to read: true when they
    // hold one saved state, and from then on the command's output goes straight to standard output
    // rather than being held back. False when a save came between: the command returns at once
    // and is run again.
    bool openedOneState();
    // Set by RunToolCommand for openedOneState.
    std::function<bool()> holdReads;
};

using ToolFunction = int (*)(ToolContext&);

struct ToolCommand {
    const char* name;
    const char* help;
    ToolFunction fn;
    HomeUse home;
};

// Runs the command on the files of one committed state: a run that another program's save
// overlapped is run again, and the output (held back until then) is that of the last run only.
// Its exit code; 1 also when the output could not be written.
int RunToolCommand(ToolContext& ctx, const ToolCommand& cmd);

// Makes the book named by --book (name or number; "all" for the commands that sum up) the one in
// use, or the first book without it. 0, or the exit code after a message on stderr.
int ChooseToolBook(ToolContext& ctx, const std::string& command, const std::optional<std::string>& bookOption);

// Registers a subcommand at start-up; used through MRT_TOOL_COMMAND.
struct ToolRegistrar {
    ToolRegistrar(const char* name, const char* help, ToolFunction fn, HomeUse home = HomeUse::Reads);
};
const std::vector<ToolCommand>& ToolCommands();

} // namespace mrt

#define MRT_TOOL_CONCAT2(a, b) a##b
#define MRT_TOOL_CONCAT(a, b) MRT_TOOL_CONCAT2(a, b)
// MRT_TOOL_COMMAND(ledger, "lists the ledger", runLedger); a command that creates its home folder
// or needs none names its HomeUse after the function.
#define MRT_TOOL_COMMAND(name, help, ...)                                                                              \
    static ::mrt::ToolRegistrar MRT_TOOL_CONCAT(s_toolCommand_, __LINE__)(#name, help, __VA_ARGS__)
