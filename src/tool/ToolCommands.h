#pragma once
#include "port/Dialogs.h"
#include "settings/IniRecord.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mrt {

// What a mrtkel-tool subcommand gets: the home folder (already made the current folder), the
// settings read from Data1/INIT.mrt (defaults when missing), dialogs that print messages to
// stderr and answer every question with its cancel/no value, and its own arguments.
struct ToolContext {
    std::string home;
    std::string dataFolder;     // home + "/Data1/" (letter case resolved)
    std::string resourceFolder; // read-only resources (TbInit/); may be empty
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
    std::vector<std::string> positional(const std::vector<std::string>& valueOptions) const;
    // Takes the home folder's write lock and finishes or undoes a save a crash cut short; false
    // (after a message on stderr) when another program holds the lock or the recovery failed.
    // Commands that write call this first.
    bool lockForWriting();
};

using ToolFunction = int (*)(ToolContext&);

struct ToolCommand {
    const char* name;
    const char* help;
    ToolFunction fn;
};

// Runs the command on the files of one committed state: a run that another program's save
// overlapped is run again, and the output (held back until then) is that of the last run only.
// Its exit code; 1 also when the output could not be written.
int RunToolCommand(ToolContext& ctx, const ToolCommand& cmd);

// Registers a subcommand at start-up; used through MRT_TOOL_COMMAND.
struct ToolRegistrar {
    ToolRegistrar(const char* name, const char* help, ToolFunction fn);
};
const std::vector<ToolCommand>& ToolCommands();

} // namespace mrt

#define MRT_TOOL_CONCAT2(a, b) a##b
#define MRT_TOOL_CONCAT(a, b) MRT_TOOL_CONCAT2(a, b)
// MRT_TOOL_COMMAND(ledger, "lists the ledger", runLedger);
#define MRT_TOOL_COMMAND(name, help, fn)                                                                               \
    static ::mrt::ToolRegistrar MRT_TOOL_CONCAT(s_toolCommand_, __LINE__)(#name, help, fn)
