#pragma once

// Control ids of the firmware upgrade dialog (template 290).
enum UpgradeDialogControlId : int {
    IDC_UPG_CHECK_RESTART_FIRST = 1035,
    IDC_UPG_CHECK_RESTORE_AFTER = 1036,
    IDC_UPG_BUTTON_UPGRADE = 1073,
    IDC_UPG_EDIT_FILE = 1075,
    IDC_UPG_BUTTON_BROWSE = 1076,
    IDC_UPG_STATIC_FILE = 1077,
    IDC_UPG_CHECK_SMALL_BLOCKS = 1106,
};
