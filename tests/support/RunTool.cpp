#include "support/RunTool.h"

#include <cstdio>
#include <sys/wait.h>

namespace mrt::test {

std::string RunTool(const std::string& args, int& status, const std::string& env) {
    std::string cmd = "env " + env + " '" + std::string(MRTKEL_TOOL_PATH) + "' " + args + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    if (!p) {
        status = -1;
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int rc = pclose(p);
    status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

} // namespace mrt::test
