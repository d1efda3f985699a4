#include "ui/dialogs/InputRange.h"

namespace mrt {

double NumericValue(const QString& text) {
    int i = 0;
    const int n = static_cast<int>(text.size());
    while (i < n && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) negative = text.at(i++) == u'-';
    QString digits;
    bool point = false;
    for (; i < n; ++i) {
        const QChar ch = text.at(i);
        if (ch == u' ' || ch == u'\t') continue;
        if (ch >= u'0' && ch <= u'9') {
            digits += ch;
        } else if (ch == u'.' && !point) {
            point = true;
            digits += ch;
        } else {
            break;
        }
    }
    bool ok = false;
    const double v = digits.toDouble(&ok);
    if (!ok) return 0;
    return negative ? -v : v;
}

RangeCheck ParseRangeCheck(const QString& check) {
    RangeCheck r;
    if (check.isEmpty()) return r;
    const qsizetype comma = check.indexOf(u',');
    if (comma < 0) {
        r.hasMin = true;
        r.min = NumericValue(check);
    } else if (comma == 0) {
        r.hasMax = true;
        r.max = NumericValue(check.mid(1));
    } else {
        r.hasMin = r.hasMax = true;
        r.min = NumericValue(check.left(comma));
        r.max = NumericValue(check.mid(comma + 1));
    }
    return r;
}

bool InRange(const RangeCheck& range, double v) {
    const float fv = static_cast<float>(v);
    const bool maxOk = !range.hasMax || static_cast<float>(range.max) + 0.0001f >= fv;
    const bool minOk = !range.hasMin || static_cast<float>(range.min) - 0.0001f <= fv;
    return maxOk && minOk;
}

} // namespace mrt
