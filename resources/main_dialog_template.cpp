#include "resources/dialog_templates.h"
#include "resources/main_dialog_ids.h"

namespace {

// Template texts stand until the main dialog sets the texts of the interface
// language at start.
constexpr ControlTemplate kMainDialogRows[] = {
    {IDC_STATIC_VERSION, ControlKind::Label, "Version", 9, 19, 42, 8, kNoStyle},
    {IDC_EDIT_VERSION, ControlKind::Edit, "", 57, 18, 249, 14, kReadOnly},
    // Wider than a box for "COM3" (332, 18, 43): the port names here are
    // longer ("ttyUSB10", "ttyACM0"); it grows to the left, where there is room.
    {IDC_COMBO_COMPORT, ControlKind::ComboBox, "", 312, 18, 63, 76, kDropDownList},
    {IDC_BUTTON_OPENCOM, ControlKind::PushButton, "Open", 379, 17, 41, 15, kNoStyle},
    {1047, ControlKind::GroupBox, "", 2, 4, 438, 34, kNoStyle},
    {IDC_STATIC_CONFIGGROUP, ControlKind::GroupBox, "Config", 3, 42, 438, 268, kNoStyle},
    {IDC_TAB_CONFIG, ControlKind::TabControl, "", 12, 55, 419, 250, kNoStyle},
    {1055, ControlKind::GroupBox, "", 4, 312, 438, 34, kNoStyle},
    {IDC_BUTTON_LOADPARAMS, ControlKind::PushButton, "Load Params", 10, 323, 58, 18, kNoStyle},
    {IDC_BUTTON_SAVEPARAMS, ControlKind::PushButton, "Write Params", 71, 323, 58, 18, kNoStyle},
    {IDC_BUTTON_RESTART, ControlKind::PushButton, "Reboot Device", 132, 323, 58, 18, kNoStyle},
    {IDC_BUTTON_RESTOREFACTORY, ControlKind::PushButton, "Restore Factory", 193, 323, 58, 18,
     kNoStyle},
    {IDC_BUTTON_UPGRADE, ControlKind::PushButton, "Upgrade", 254, 323, 58, 18, kNoStyle},
    {IDC_BUTTON_IMPORT, ControlKind::PushButton, "Import Params", 315, 323, 58, 18, kNoStyle},
    {IDC_BUTTON_EXPORT, ControlKind::PushButton, "Export Params", 376, 323, 58, 18, kNoStyle},
    {1058, ControlKind::Frame, "", 445, 10, 1, 335, kNoStyle},
    {IDC_STATIC_LOGGROUP, ControlKind::GroupBox, "Log", 451, 6, 174, 339, kNoStyle},
    {IDC_EDIT_LOG, ControlKind::Edit, "", 453, 16, 160, 308, kMultiLine | kReadOnly},
    {IDC_CHECK_DISPLAYPACKET, ControlKind::CheckBox, "Display", 453, 327, 62, 10, kNoStyle},
    {IDC_CHECK_HEXSHOW, ControlKind::CheckBox, "Hex", 515, 327, 46, 10, kNoStyle},
    {IDC_BUTTON_CLEARLOG, ControlKind::PushButton, "Clear Log", 568, 325, 40, 14, kNoStyle},
};

}  // namespace

extern const DialogTemplate g_mainDialogTemplate = MakeDialogTemplate(
    IDD_MAIN_DIALOG, "Quorrel", 625, 354, 8, kPopup | kMinimizeBox, kMainDialogRows);
