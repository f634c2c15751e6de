#include "resources/dialog_templates.h"
#include "resources/upgrade_dialog_ids.h"

namespace {

// Labels left, inputs right, the action bottom-right. The check boxes are
// wide enough for the longest English caption; the Chinese ones are shorter.
constexpr ControlTemplate kUpgradeDialogControls[] = {
    {IDC_UPG_STATIC_FILE, ControlKind::Label, "File", 7, 11, 34, 8, kNoStyle},
    {IDC_UPG_EDIT_FILE, ControlKind::Edit, "", 44, 8, 166, 14, kReadOnly},
    {IDC_UPG_BUTTON_BROWSE, ControlKind::PushButton, "Browse", 215, 8, 50, 14, kNoStyle},
    {IDC_UPG_CHECK_RESTART_FIRST, ControlKind::CheckBox, "Restart the device before upgrade", 44,
     30, 190, 10, kNoStyle},
    {IDC_UPG_CHECK_SMALL_BLOCKS, ControlKind::CheckBox, "K7R40S", 44, 44, 190, 10, kNoStyle},
    {IDC_UPG_CHECK_RESTORE_AFTER, ControlKind::CheckBox, "Restore factory after upgrade", 44, 58,
     190, 10, kNoStyle},
    {IDC_UPG_BUTTON_UPGRADE, ControlKind::PushButton, "Upgrade", 215, 76, 50, 14, kNoStyle},
};

}  // namespace

extern const DialogTemplate g_upgradeDialogTemplate =
    MakeDialogTemplate(IDD_UPGRADE_DIALOG, "Upgrade", 272, 97, 8, kPopup, kUpgradeDialogControls);
