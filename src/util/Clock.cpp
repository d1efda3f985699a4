#include "util/Clock.h"

#include <chrono>
#include <ctime>

namespace mrt {
namespace {
const Clock* g_clock = nullptr;
}

CivilDate SystemClock::Today() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

double SystemClock::SecondsOfDay() const {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    double frac = duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000 / 1e6;
    return tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + frac;
}

const Clock& AppClock() {
    static SystemClock s_system;
    return g_clock ? *g_clock : s_system;
}

void SetClock(const Clock* clock) { g_clock = clock; }

} // namespace mrt
