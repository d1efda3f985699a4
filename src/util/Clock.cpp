#include "util/Clock.h"

#include "util/DateText.h"

#include <chrono>
#include <cstdlib>
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

// MRTKEL_TODAY=YYYY-MM-DD fixes today for scripted runs of the program and the tool; the time of
// day stays the system's.
class EnvironmentClock : public SystemClock {
public:
    explicit EnvironmentClock(CivilDate d) : m_date(d) {}
    CivilDate Today() const override { return m_date; }

private:
    CivilDate m_date;
};

const Clock* environmentClock() {
    const char* text = std::getenv("MRTKEL_TODAY");
    int y = 0, m = 0, d = 0;
    if (!text || !ParseDateText(text, y, m, d)) return nullptr;
    static EnvironmentClock s_clock({y, m, d});
    return &s_clock;
}

const Clock& AppClock() {
    static SystemClock s_system;
    static const Clock* s_environment = environmentClock();
    if (g_clock) return *g_clock;
    return s_environment ? *s_environment : s_system;
}

void SetClock(const Clock* clock) {
    g_clock = clock;
}

} // namespace mrt
