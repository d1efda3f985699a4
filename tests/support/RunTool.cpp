#include "support/RunTool.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace mrt::test {

std::string RunTool(const std::string& args, int& status, const std::string& env, std::string* err) {
    char errFile[] = "/tmp/mrtkel-tool-err-XXXXXX";
    int fd = err ? ::mkstemp(errFile) : -1;
    if (fd >= 0) ::close(fd);
    std::string cmd = "env " + env + " '" + std::string(MRTKEL_TOOL_PATH) + "' " + args + " 2>" +
                      (fd >= 0 ? "'" + std::string(errFile) + "'" : std::string("/dev/null"));
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
    if (fd >= 0) {
        err->clear();
        if (FILE* e = std::fopen(errFile, "rb")) {
            while ((n = fread(buf, 1, sizeof buf, e)) > 0)
                err->append(buf, n);
            std::fclose(e);
        }
        ::unlink(errFile);
    }
    return out;
}

} // namespace mrt::test
