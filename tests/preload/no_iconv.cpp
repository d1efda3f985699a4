// Preloaded into a program (LD_PRELOAD), makes every iconv_open fail as it does where the C
// library's conversion modules are missing.
#include <cerrno>

extern "C" void* iconv_open(const char*, const char*) {
    errno = EINVAL;
    return reinterpret_cast<void*>(-1);
}
