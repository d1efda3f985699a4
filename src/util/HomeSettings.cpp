#include "util/HomeSettings.h"

#include "util/Paths.h"

#include <sstream>

namespace mrt {

std::string ReadHomeSetting(const std::string& home, const std::string& key) {
    std::string text;
    if (!ReadWholeFile(JoinPath(home, kHomeSettingsFileName), text)) return {};
    std::istringstream in(text);
    std::string line;
    const std::string head = key + "=";
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, head.size(), head) == 0) return line.substr(head.size());
    }
    return {};
}

bool WriteHomeSetting(const std::string& home, const std::string& key, const std::string& value) {
    if (key.empty() || key.find_first_of("=\r\n") != std::string::npos ||
        value.find_first_of("\r\n") != std::string::npos)
        return false;
    const std::string path = JoinPath(home, kHomeSettingsFileName);
    std::string text;
    ReadWholeFile(path, text); // a missing file starts empty
    std::istringstream in(text);
    std::string line, out;
    const std::string head = key + "=";
    bool set = false;
    while (std::getline(in, line)) {
        if (line.compare(0, head.size(), head) == 0) {
            if (set) continue;
            line = head + value;
            set = true;
        }
        out += line + "\n";
    }
    if (!set) out += head + value + "\n";
    return WriteWholeFile(path, out);
}

} // namespace mrt
