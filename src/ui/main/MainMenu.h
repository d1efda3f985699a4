#pragma once
#include <vector>

namespace mrt {

// One entry of the main window's menu bar. Top menus have id 1..5, their items the ids of the
// menu table (#11..#18, #21..#30, #31, #41..#44, #51..#53). A caption of "-" is a separator.
struct MainMenuEntry {
    int id;
    const char* caption;   // text without the access key
    char accessKey;        // shown as "(&K)"
    const char* shortcut;  // QKeySequence text, "" for none
};

const std::vector<MainMenuEntry>& MainMenuEntries();

// Command code an item stands for: m×1000 + i×100 for menus 1, 3, 4, 5, 2000 + i×10 for menu 2;
// ids of three digits (items the program added) id×10.
int MainMenuCode(int id);

} // namespace mrt
