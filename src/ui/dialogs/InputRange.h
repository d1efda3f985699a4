#pragma once
#include <QString>

namespace mrt {

// Range of a numeric input, from a check text "min,max", ",max", "min" or "".
struct RangeCheck {
    bool hasMin = false, hasMax = false;
    double min = 0, max = 0;
};
RangeCheck ParseRangeCheck(const QString& check);
// Numeric value of a text as the input box reads it: leading blanks skipped, an optional sign,
// digits with at most one decimal point (blanks between digits ignored), stopping at anything
// else; 0 when there is no number.
double NumericValue(const QString& text);
// True when v lies in the range; the bounds are compared in single precision with 0.0001 slack.
bool InRange(const RangeCheck& range, double v);

} // namespace mrt
