#include "resources/cmd_dialog_ids.h"
#include "resources/dialog_templates.h"

namespace {

// The command on top, its options in one row under it, the buttons
// bottom-right. "十六进制" is the widest option caption.
constexpr ControlTemplate kCmdDialogControls[] = {
    {IDC_CMD_EDIT_COMMAND, ControlKind::Edit, "", 7, 7, 252, 14, kNoStyle},
    {IDC_CMD_CHECK_HEX, ControlKind::CheckBox, "Hex", 7, 29, 58, 10, kNoStyle},
    {IDC_CMD_CHECK_NEWLINE, ControlKind::CheckBox, "Newline", 68, 29, 52, 10, kNoStyle},
    {IDC_CMD_CHECK_SENDTIMER, ControlKind::CheckBox, "Timer", 123, 29, 46, 10, kNoStyle},
    {IDC_CMD_EDIT_PERIOD, ControlKind::Edit, "", 172, 27, 44, 14, kDigitsOnly},
    {-1, ControlKind::Label, "ms", 220, 30, 16, 8, kNoStyle},
    {IDC_CMD_BUTTON_CLEAR, ControlKind::PushButton, "Clear", 155, 49, 50, 14, kNoStyle},
    {IDC_CMD_BUTTON_SEND, ControlKind::PushButton, "Send", 209, 49, 50, 14, kNoStyle},
};

}  // namespace

extern const DialogTemplate g_cmdDialogTemplate =
    MakeDialogTemplate(IDD_CMD_DIALOG, "Command Window", 266, 70, 8, kPopup, kCmdDialogControls);
