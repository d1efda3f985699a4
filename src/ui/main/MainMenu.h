#pragma once
#include "app/Command.h"

#include <vector>

namespace mrt {

// One entry of the main window's menu bar, in order: a menu opens the items that follow it.
struct MainMenuEntry {
    enum Kind { Menu, Item, Separator };
    Kind kind;
    Command command;      // Item: the command it runs
    const char* caption;  // text without the access key
    char accessKey;       // shown as "(&K)"
    const char* shortcut; // QKeySequence text, "" for none
};

const std::vector<MainMenuEntry>& MainMenuEntries();

} // namespace mrt
