#include "support/TempDir.h"

#include "util/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace mrt::test {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "mrtkel-test-XXXXXX").string();
    char* p = ::mkdtemp(tmpl.data());
    m_path = p ? p : tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    // Plain writes: fixtures need no durability, and they stay out of the fault counts.
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::string ReadBytes(const std::string& path) {
    std::string data;
    mrt::ReadWholeFile(path, data);
    return data;
}

Files FolderFiles(const std::string& folder, bool withTemp) {
    Files files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        if (e.is_regular_file() && (withTemp || !mrt::IsTempFileName(name))) files[name] = ReadBytes(e.path().string());
    }
    return files;
}

} // namespace mrt::test
