#pragma once

// The program's name and version: the window titles, the splash, the message titles and
// `--version` all take them from here. The version is the CMake project's (MRTKEL_VERSION_TEXT).
#define MRTKEL_PROGRAM_NAME "ミルテ家計簿"

namespace mrt {

inline constexpr char kProgramName[] = MRTKEL_PROGRAM_NAME;
inline constexpr char kProgramVersion[] = MRTKEL_VERSION_TEXT; // "3.1.1"
// The version as the splash shows it after the name.
inline constexpr char kVersionText[] = " Ver. " MRTKEL_VERSION_TEXT;
// The main window's title.
inline constexpr char kMainWindowTitle[] = MRTKEL_PROGRAM_NAME "  Ver. " MRTKEL_VERSION_TEXT;
// The splash's last line.
inline constexpr char kProviderLine[] = MRTKEL_PROGRAM_NAME " 開発チーム";

} // namespace mrt
