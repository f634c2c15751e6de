#include "resources/main_dialog_ids.h"
#include "resources/main_menu_template.h"

namespace {

constexpr MenuRow kMainMenuRows[] = {
    {MenuRowKind::BeginPopup, 0, "Operation"},
    {MenuRowKind::Item, ID_OPERATION_LOADPARAMS, "Load Params"},
    {MenuRowKind::Item, ID_OPERATION_SAVEPARAMS, "Write Params"},
    {MenuRowKind::Separator, 0, ""},
    {MenuRowKind::Item, ID_OPERATION_RESTART, "Reboot Device"},
    {MenuRowKind::Item, ID_OPERATION_RESTOREFACTORY, "Restore Factory"},
    {MenuRowKind::Separator, 0, ""},
    {MenuRowKind::Item, ID_OPERATION_IMPORTCONFIG, "Import Params"},
    {MenuRowKind::Item, ID_OPERATION_EXPORTCONFIG, "Export Params"},
    {MenuRowKind::Separator, 0, ""},
    {MenuRowKind::Item, ID_OPERATION_UPGRADE, "Upgrade"},
    {MenuRowKind::Separator, 0, ""},
    {MenuRowKind::Item, ID_MENU_EXIT, "Exit"},
    {MenuRowKind::EndPopup, 0, ""},
    {MenuRowKind::BeginPopup, 0, "Tools"},
    {MenuRowKind::Item, ID_TOOLS_COMMANDWINDOW, "Command Window"},
    {MenuRowKind::EndPopup, 0, ""},
    {MenuRowKind::BeginPopup, 0, "Options"},
    {MenuRowKind::Item, ID_OPTIONS_COMSETTINGS, "Comm Settings"},
    {MenuRowKind::BeginPopup, 0, "Language"},
    {MenuRowKind::Item, ID_LANGUAGE_ENGLISH, "English"},
    {MenuRowKind::Item, ID_LANGUAGE_CHINESE, "中文"},
    {MenuRowKind::EndPopup, 0, ""},
    {MenuRowKind::EndPopup, 0, ""},
};

}  // namespace

extern const MenuTemplate g_mainMenuTemplate = {IDR_MAIN_MENU, kMainMenuRows,
                                                sizeof kMainMenuRows / sizeof kMainMenuRows[0]};
