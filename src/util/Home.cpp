#include "util/Home.h"

#include "util/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace mrt {

std::string ChooseHomeFolder(const std::string& homeOption) {
    if (!homeOption.empty()) return homeOption;
    if (const char* env = std::getenv("MRTKEL_HOME"); env && *env) return env;
    // A relative XDG_DATA_HOME is invalid and ignored, so the data never lands below whatever
    // folder the program happened to be started from.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return JoinPath(xdg, "mrtkel");
    const char* home = std::getenv("HOME");
    return JoinPath(JoinPath(home && *home ? home : ".", ".local/share"), "mrtkel");
}

std::string FindResourceFolder(const std::string& exePath) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (const char* env = std::getenv("MRTKEL_SHARE"); env && *env && fs::is_directory(env, ec)) return env;
    fs::path exe = fs::weakly_canonical(fs::path(exePath), ec);
    if (exe.empty()) exe = exePath;
    fs::path candidate = exe.parent_path().parent_path() / "share" / "mrtkel";
    if (fs::is_directory(candidate, ec)) return candidate.string();
    return {};
}

namespace {
std::string& bookFolder() {
    static std::string name = "Data1";
    return name;
}
} // namespace

void SetBookFolderName(const std::string& folderName) {
    bookFolder() = folderName.empty() ? "Data1" : folderName;
}

const std::string& BookFolderName() {
    return bookFolder();
}

std::string BookDataFolder(const std::string& home, const std::string& folderName) {
    return ResolveCase(home, folderName) + "/";
}

std::string DataFolder(const std::string& home) {
    return BookDataFolder(home, bookFolder());
}

std::string BackupFolder(const std::string& home) {
    return ResolveCase(DataFolder(home), "BU") + "/";
}

bool MakeFolders(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

} // namespace mrt
