#pragma once

// Control ids of the command window (template 135).
enum CmdDialogControlId : int {
    IDC_CMD_CHECK_HEX = 1031,
    IDC_CMD_CHECK_NEWLINE = 1032,
    IDC_CMD_CHECK_SENDTIMER = 1033,
    IDC_CMD_EDIT_PERIOD = 1034,
    IDC_CMD_BUTTON_CLEAR = 1036,
    IDC_CMD_BUTTON_SEND = 1037,
    IDC_CMD_EDIT_COMMAND = 1038,
};
