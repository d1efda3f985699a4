#pragma once
#include <string>

namespace mrt {

// The reason of a failed system call for a message to the user: the common reasons in Japanese
// ("ファイルまたはフォルダがありません", "空き容量が足りません", ...) with the system's own text in
// parentheses after it; a rare one as a general phrase with the system's text. 0 is taken as EIO.
std::string SystemErrorText(int errnum);

} // namespace mrt
