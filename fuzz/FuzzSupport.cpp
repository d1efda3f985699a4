#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace mrt::fuzz {
namespace {

void removeFolder() {
    std::error_code ec;
    std::filesystem::remove_all(Folder(), ec);
}

} // namespace

const std::string& Folder() {
    static const std::string folder = [] {
        std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string tmpl = base + "/mrtkel-fuzz-XXXXXX";
        if (!::mkdtemp(tmpl.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        return tmpl;
    }();
    static const bool cleanup = (std::atexit(removeFolder), true);
    (void)cleanup;
    return folder;
}

std::string PathOf(const std::string& name) {
    return Folder() + "/" + name;
}

void PutFile(const std::string& name, std::string_view bytes) {
    std::FILE* f = std::fopen(PathOf(name).c_str(), "wb");
    if (!f) Broken("cannot write the scratch file " + name);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void ClearFolder() {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(Folder(), ec))
        std::filesystem::remove_all(e.path(), ec);
}

bool Pieces::Next(std::string_view& piece) {
    if (m_left == 0) return false;
    size_t n = static_cast<uint8_t>(m_data[0]);
    if (m_left >= 2) n |= static_cast<size_t>(static_cast<uint8_t>(m_data[1])) << 8;
    size_t head = m_left >= 2 ? 2 : 1;
    m_data += head;
    m_left -= head;
    n = std::min(n, m_left);
    piece = std::string_view(m_data, n);
    m_data += n;
    m_left -= n;
    return true;
}

uint8_t Pieces::Byte() {
    if (m_left == 0) return 0;
    --m_left;
    return static_cast<uint8_t>(*m_data++);
}

std::string_view Pieces::Rest() {
    std::string_view r(m_data, m_left);
    m_data += m_left;
    m_left = 0;
    return r;
}

void Broken(const std::string& what) {
    std::fprintf(stderr, "property broken: %s\n", what.c_str());
    std::abort();
}

} // namespace mrt::fuzz
