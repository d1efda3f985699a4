#pragma once

namespace mrt {

// The keys a registration or settings window hands on to its controller. Which of them a window
// forwards from which control is the window's choice; typed characters stay with the text boxes
// unless a controller asks for them (Char carries its text separately).
enum class WindowKey {
    Enter,
    ShiftEnter,
    Tab,
    ShiftTab,
    Esc,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    F1,
    F2,
    F3,
    F4,
    F12,
    AltF4,
    Char,
    Other, // any other key (a control key such as Delete or Insert)
};

} // namespace mrt
