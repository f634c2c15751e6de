#pragma once

#include <cstddef>

// A menu kept as data, as a resource script would hold it: popups open and
// close around their items.
enum class MenuRowKind { BeginPopup, EndPopup, Item, Separator };

struct MenuRow {
    MenuRowKind kind;
    int id;            // command id of an Item; 0 otherwise
    const char* text;  // template text, UTF-8 ("" for separators and ends)
};

struct MenuTemplate {
    int id;
    const MenuRow* rows;
    std::size_t rowCount;
};

extern const MenuTemplate g_mainMenuTemplate;  // 139
