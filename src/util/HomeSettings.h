#pragma once
#include <string>

namespace mrt {

// Settings of the home folder that the fixed layout of INIT.mrt has no room for, kept as UTF-8
// "Key=Value" lines in "<home>/mrtkel.conf".
inline constexpr const char* kHomeSettingsFileName = "mrtkel.conf";

// The value of `key`; empty when the file or the key is missing.
std::string ReadHomeSetting(const std::string& home, const std::string& key);
// Sets `key` (no "=" or line break in key or value), keeping every other line of the file; the
// file is replaced whole. False when it could not be written.
bool WriteHomeSetting(const std::string& home, const std::string& key, const std::string& value);

} // namespace mrt
