// mrtkel-tool: the command-line companion of the desktop program, on the same core.
#include "books/Books.h"
#include "port/ConsoleDialogs.h"
#include "tool/ToolCommands.h"
#include "util/CommitGate.h"
#include "util/CommitJournal.h"
#include "util/Cp932.h"
#include "util/DataLock.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace mrt {

namespace {
std::vector<ToolCommand>& registry() {
    static std::vector<ToolCommand> r;
    return r;
}
DataLock& toolLock() {
    static DataLock l;
    return l;
}
} // namespace

ToolRegistrar::ToolRegistrar(const char* name, const char* help, ToolFunction fn, HomeUse home) {
    registry().push_back({name, help, fn, home});
}

const std::vector<ToolCommand>& ToolCommands() {
    return registry();
}

namespace {
// The options end at "--".
std::vector<std::string>::const_iterator optionsEnd(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--");
}
} // namespace

std::optional<std::string> ToolContext::option(const std::string& name) const {
    const size_t end = static_cast<size_t>(optionsEnd(args) - args.begin());
    for (size_t i = 0; i < end; ++i) {
        if (args[i] == name && i + 1 < end) return args[i + 1];
        if (args[i].rfind(name + "=", 0) == 0) return args[i].substr(name.size() + 1);
    }
    return std::nullopt;
}

bool ToolContext::flag(const std::string& name) const {
    return std::find(args.begin(), optionsEnd(args), name) != optionsEnd(args);
}

std::vector<std::string> ToolContext::positional(const std::vector<std::string>& valueOptions) const {
    std::vector<std::string> r;
    const auto end = optionsEnd(args);
    for (auto it = args.begin(); it != end; ++it) {
        const std::string& a = *it;
        if (std::find(valueOptions.begin(), valueOptions.end(), a) != valueOptions.end()) {
            if (it + 1 != end) ++it;
            continue;
        }
        // "--x" is an option; a lone "-" or a negative number like "-5" is not.
        if (a.size() > 2 && a[0] == '-' && a[1] == '-') continue;
        r.push_back(a);
    }
    if (end != args.end()) r.insert(r.end(), end + 1, args.end());
    return r;
}

std::string ToolContext::unknownOption(const std::vector<std::string>& known) const {
    for (auto it = args.begin(); it != optionsEnd(args); ++it) {
        if (it->size() <= 2 || it->rfind("--", 0) != 0) continue;
        const std::string name = it->substr(0, it->find('='));
        if (std::find(known.begin(), known.end(), name) == known.end()) return *it;
    }
    return {};
}

std::string ToolContext::argumentPath(const std::string& path) const {
    if (path.empty() || path[0] == '/' || workingFolder.empty()) return path;
    return (std::filesystem::path(workingFolder) / path).lexically_normal().string();
}

bool ToolContext::requireDataFolder(const char* cmd) const {
    std::error_code ec;
    if (std::filesystem::is_directory(dataFolder, ec)) return true;
    std::cerr << cmd << ": データフォルダがありません: " << dataFolder
              << "\n(mrtkel-tool init で作成するか、--home でデータのあるフォルダを指定してください)\n";
    return false;
}

bool ToolContext::lockForWriting() {
    if (!toolLock().Acquire(home)) {
        std::string m = kDataLockedMessage;
        m.erase(std::remove(m.begin(), m.end(), '\r'), m.end());
        std::cerr << m << "\n";
        return false;
    }
    // A save cut short by a crash is finished or undone before anything is read.
    if (std::string error; RecoverDataFolder(dataFolder, error) != 0) {
        std::cerr << kRecoveryFailedMessage << " " << error << "\n";
        return false;
    }
    return true;
}

bool ToolContext::openedOneState() {
    return !holdReads || holdReads();
}

int RunToolCommand(ToolContext& ctx, const ToolCommand& cmd) {
    // The output of a run that saw another program's save is dropped with the run.
    std::ostringstream out, err;
    std::streambuf* realOut = std::cout.rdbuf(out.rdbuf());
    std::streambuf* realErr = std::cerr.rdbuf(err.rdbuf());
    auto release = [&] {
        std::cout.rdbuf(realOut);
        std::cerr.rdbuf(realErr);
        const std::string_view errText = err.view(), outText = out.view();
        std::cerr.write(errText.data(), static_cast<std::streamsize>(errText.size()));
        std::cout.write(outText.data(), static_cast<std::streamsize>(outText.size()));
        out.str({});
        err.str({});
    };
    // A run kept whatever saves come later writes the rest of its output as it goes.
    ctx.holdReads = [&] {
        if (!HoldCommittedRun()) return false;
        release();
        return true;
    };
    const std::string command = cmd.name;
    const int r = ReadCommitted(
        ctx.home,
        [&] {
            // A save cut short by a crash is completed first; one that another program is making
            // is waited for.
            if (std::string error; SettleUnfinishedCommit(ctx.home, ctx.dataFolder, toolLock(), error) != 0) {
                error.erase(std::remove(error.begin(), error.end(), '\r'), error.end());
                std::cerr << error << "\n";
                return 1;
            }
            // A settings file that is there but cannot be read is an error, not "no settings": its
            // tax rate and block sizes are the user's. Only check goes on, to report it with the rest.
            ctx.settings = IniRecord{};
            ctx.settingsProblem.clear();
            const int settingsRead =
                ReadSettings(ResolveCase(ctx.dataFolder, kSettingsFileName), ctx.settings, &ctx.settingsProblem);
            if (settingsRead < 0 && command != "check") {
                std::cerr << command << ": " << ctx.settingsProblem << "\n";
                return 1;
            }
            if (settingsRead != 0) SettingsDefaults(ctx.settings);
            ConsoleDialogs dialogs;
            ctx.dialogs = &dialogs;
            int result = 1;
            try {
                result = cmd.fn(ctx);
            } catch (const std::exception& e) {
                // A run-time error ends the command with its reason rather than an abort.
                std::cerr << command << ": " << e.what() << "\n";
            }
            ctx.dialogs = nullptr;
            return result;
        },
        [&] {
            out.str({});
            err.str({});
        });
    ctx.holdReads = nullptr;
    release();
    std::cout.flush();
    if (!std::cout && r == 0) {
        std::cerr << command << ": 標準出力に書き込めませんでした\n";
        return 1;
    }
    return r;
}

} // namespace mrt

namespace {

int runSettings(mrt::ToolContext& ctx) {
    if (!ctx.requireDataFolder("settings")) return 1;
    for (const auto& [name, value] : mrt::SettingsFieldList(ctx.settings))
        std::cout << name << "=" << value << "\n";
    return 0;
}
MRT_TOOL_COMMAND(settings, "prints the settings record as Name=value lines", runSettings);

void usage(std::ostream& os) {
    os << "使い方: mrtkel-tool [--home DIR] [--book NAME|N] <command> [options]\n"
          "usage: mrtkel-tool [--home DIR] [--book NAME|N] <command> [options]\n\n"
          "The home folder holds Data1/ (and the folders of further books); default: $MRTKEL_HOME, else "
          "$XDG_DATA_HOME/mrtkel.\n--book chooses a book by name or number (default: the first; \"all\" for totals).\n"
          "\ncommands:\n";
    std::vector<mrt::ToolCommand> cmds = mrt::ToolCommands();
    std::sort(cmds.begin(), cmds.end(), [](auto& a, auto& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& c : cmds) {
        std::string n = c.name;
        n.resize(std::max<size_t>(n.size() + 1, 10), ' ');
        os << "  " << n << c.help << "\n";
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string homeOption;
    std::optional<std::string> bookOption;
    std::string command;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--home") {
            if (i + 1 >= args.size()) {
                std::cerr << "--home needs a folder\n";
                return 2;
            }
            homeOption = args[++i];
        } else if (a.rfind("--home=", 0) == 0) {
            homeOption = a.substr(7);
        } else if (a == "--book" || a.rfind("--book=", 0) == 0) {
            if (a == "--book" && i + 1 >= args.size()) {
                std::cerr << "--book needs a book name or number\n";
                return 2;
            }
            bookOption = a == "--book" ? args[++i] : a.substr(7);
        } else if (command.empty() && (a == "--help" || a == "-h")) {
            usage(std::cout);
            return 0;
        } else if (command.empty() && a == "--version") {
            std::cout << "mrtkel-tool " << MRTKEL_VERSION_TEXT << "\n";
            return 0;
        } else if (command.empty() && !a.empty() && a[0] != '-') {
            command = a;
        } else if (!command.empty() && a == "--") {
            // The command's own arguments after "--" are never options, "--home" neither.
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        } else {
            rest.push_back(a);
        }
    }
    if (command.empty()) {
        usage(std::cerr);
        return 2;
    }
    const mrt::ToolCommand* cmd = nullptr;
    for (const auto& c : mrt::ToolCommands())
        if (command == c.name) cmd = &c;
    if (!cmd) {
        std::cerr << "unknown command: " << command << "\n";
        usage(std::cerr);
        return 2;
    }

    if (!mrt::Cp932Available()) {
        std::cerr << command << ": " << mrt::kCp932UnavailableMessage << "\n";
        return 1;
    }

    mrt::ToolContext ctx;
    // Paths on the command line mean what they mean where the tool was started, not in the home.
    std::error_code ec;
    ctx.workingFolder = std::filesystem::current_path(ec).string();
    ctx.home = mrt::ChooseHomeFolder(homeOption);
    if (!ctx.workingFolder.empty() && !ctx.home.empty() && ctx.home[0] != '/')
        ctx.home = (std::filesystem::path(ctx.workingFolder) / ctx.home).string();
    ctx.home = std::filesystem::path(ctx.home).lexically_normal().string();
    if (ctx.home.size() > 1 && ctx.home.back() == '/') ctx.home.pop_back();
    if (const int r = mrt::ChooseToolBook(ctx, command, bookOption); r != 0) return r;
    ctx.dataFolder = mrt::DataFolder(ctx.home);
    if (cmd->home == mrt::HomeUse::Writes && !mrt::MakeFolders(ctx.home)) {
        std::cerr << command << ": ホームフォルダを作成できません: " << ctx.home << "\n";
        return 2;
    }
    if (std::filesystem::is_directory(ctx.home, ec) && ::chdir(ctx.home.c_str()) != 0) {
        std::cerr << command << ": ホームフォルダを使用できません: " << ctx.home << "\n";
        return 2;
    }
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    ctx.resourceFolder = mrt::FindResourceFolder(ec ? std::string(argv[0]) : exe.string());
    ctx.args = rest;
    return mrt::RunToolCommand(ctx, *cmd);
}
