#include "ui/template_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <vector>

TemplateMenu::TemplateMenu(const MenuTemplate& menuTemplate, QMenuBar* bar)
    : QObject(bar), m_bar(bar) {
    std::vector<QMenu*> open;
    for (std::size_t i = 0; i < menuTemplate.rowCount; ++i) {
        const MenuRow& row = menuTemplate.rows[i];
        const QString text = QString::fromUtf8(row.text);
        switch (row.kind) {
            case MenuRowKind::BeginPopup:
                open.push_back(open.empty() ? m_bar->addMenu(text) : open.back()->addMenu(text));
                break;
            case MenuRowKind::EndPopup:
                if (!open.empty()) open.pop_back();
                break;
            case MenuRowKind::Separator:
                if (!open.empty()) open.back()->addSeparator();
                break;
            case MenuRowKind::Item: {
                if (open.empty()) break;
                QAction* action = open.back()->addAction(text);
                const int id = row.id;
                connect(action, &QAction::triggered, this, [this, action, id] {
                    // A click toggles a checkable action; the owner decides the mark.
                    if (action->isCheckable()) action->setChecked(!action->isChecked());
                    emit Command(id);
                });
                m_items[id] = action;
                break;
            }
        }
    }
}

QAction* TemplateMenu::Item(int id) const {
    auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : it->second;
}

QMenu* TemplateMenu::Popup(int top, int sub) const {
    const QList<QAction*> topActions = m_bar->actions();
    if (top < 0 || top >= topActions.size()) return nullptr;
    QMenu* menu = topActions[top]->menu();
    if (sub < 0 || menu == nullptr) return menu;
    const QList<QAction*> subActions = menu->actions();
    if (sub >= subActions.size()) return nullptr;
    return subActions[sub]->menu();
}

void TemplateMenu::SetItemText(int id, const std::string& text) {
    if (QAction* action = Item(id)) action->setText(QString::fromUtf8(text));
}

void TemplateMenu::SetPopupText(int top, int sub, const std::string& text) {
    if (QMenu* menu = Popup(top, sub)) menu->setTitle(QString::fromUtf8(text));
}

void TemplateMenu::CheckItem(int id, bool checked) {
    // Only items that were ever marked become checkable, so the others draw
    // no empty check box beside their text.
    if (QAction* action = Item(id)) {
        action->setCheckable(true);
        action->setChecked(checked);
    }
}

bool TemplateMenu::IsItemChecked(int id) const {
    QAction* action = Item(id);
    return action != nullptr && action->isChecked();
}
