#pragma once

#include <QObject>
#include <map>
#include <string>

#include "resources/main_menu_template.h"

class QAction;
class QMenu;
class QMenuBar;

// A menu bar built from a MenuTemplate, with its items found by command id
// and its popups by position, as a window's menu handle offers them.
class TemplateMenu : public QObject {
    Q_OBJECT
public:
    TemplateMenu(const MenuTemplate& menuTemplate, QMenuBar* bar);

    QAction* Item(int id) const;  // null for an unknown id
    // Top-level popup at position `top`; with sub >= 0 the popup at position
    // `sub` inside it.
    QMenu* Popup(int top, int sub = -1) const;

    void SetItemText(int id, const std::string& text);
    void SetPopupText(int top, int sub, const std::string& text);
    void CheckItem(int id, bool checked);
    bool IsItemChecked(int id) const;

signals:
    void Command(int id);

private:
    QMenuBar* m_bar;
    std::map<int, QAction*> m_items;
};
