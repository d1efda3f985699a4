#pragma once
#include <filesystem>
#include <map>
#include <string>

namespace mrt::test {

// A fresh temporary folder, removed with everything in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // path()/rel, as a string.
    std::string operator/(const std::string& rel) const { return m_path + "/" + rel; }

private:
    std::string m_path;
};

// Writes bytes to a file (parents created); returns false on failure.
bool WriteBytes(const std::string& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string ReadBytes(const std::string& path);

// File name → bytes of the regular files directly in a folder (empty when it cannot be listed);
// without `withTemp` the commit's temporary files are left out.
using Files = std::map<std::string, std::string>;
Files FolderFiles(const std::string& folder, bool withTemp = true);

} // namespace mrt::test
