#pragma once

namespace mrt {

struct CivilDate {
    int year = 0, month = 0, day = 0;
};

// Source of "today" and the seconds of the day; tests replace it so results do not depend on
// the day they run.
class Clock {
public:
    virtual ~Clock() = default;
    virtual CivilDate Today() const = 0;
    virtual double SecondsOfDay() const = 0;
};

// The system clock in local time.
class SystemClock : public Clock {
public:
    CivilDate Today() const override;
    double SecondsOfDay() const override;
};

// The clock in use; SetClock(nullptr) goes back to the system clock (or to the date of the
// environment variable MRTKEL_TODAY, YYYY-MM-DD, when it is set: for scripted runs).
const Clock& AppClock();
void SetClock(const Clock* clock);

// A fixed clock for tests and scripted runs.
class FixedClock : public Clock {
public:
    explicit FixedClock(CivilDate d, double seconds = 0) : m_date(d), m_seconds(seconds) {}
    CivilDate Today() const override { return m_date; }
    double SecondsOfDay() const override { return m_seconds; }
    void Set(CivilDate d) { m_date = d; }

private:
    CivilDate m_date;
    double m_seconds;
};

} // namespace mrt
