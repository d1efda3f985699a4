#pragma once
// Texts between the core, which keeps UTF-8 in std::string, and Qt.
#include <QString>
#include <string>

namespace mrt {

inline QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

} // namespace mrt
