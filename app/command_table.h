#pragma once
// The command table: every menu item, accelerator key and toolbar button, as data. The main
// frame builds its actions, menus and toolbar from it; nothing else lists commands.
#include <QKeyCombination>
#include <vector>

namespace qdm::ui {

struct CommandInfo {
    int id;
    const char* text;                   // menu text (UTF-8) without keys; nullptr: no menu item
    std::vector<QKeyCombination> keys;  // the keys that send it; the first is shown in the menu
    int button;                         // toolbar position 1-18, separators not counted; 0: none
    const char* prompt;                 // status-bar prompt; nullptr: none
    const char* tip;                    // tooltip; nullptr: none
};

const std::vector<CommandInfo>& CommandTable();
const CommandInfo* FindCommand(int id);

struct MenuEntry {
    enum Kind { Command, Separator, Popup, RecentFiles };
    Kind kind;
    int id = 0;                    // Command
    const char* title = nullptr;   // Popup, RecentFiles (the placeholder text)
    std::vector<MenuEntry> items;  // Popup
};

// The popups of the menu bar, in order.
const std::vector<MenuEntry>& MenuBar();

// Toolbar buttons from the left; 0 stands for a separator.
const std::vector<int>& ToolbarLayout();

// The accelerator table in its order: a key and the command it sends.
struct Accelerator {
    QKeyCombination key;
    int id;
};
const std::vector<Accelerator>& Accelerators();

}  // namespace qdm::ui
