#include "resources/dialog_templates.h"

namespace {

constexpr ControlTemplate kWaitDialogControls[] = {
    {1040, ControlKind::Label, "Loading....", 1, 7, 367, 9, kCentre},
    {1039, ControlKind::ProgressBar, "", 10, 21, 348, 21, kNoStyle},
    {2, ControlKind::PushButton, "Cancel", 309, 46, 50, 14, kNoStyle},
};

}  // namespace

extern const DialogTemplate g_waitDialogTemplate =
    MakeDialogTemplate(IDD_WAIT_DIALOG, "", 370, 62, 8, kNoCaption, kWaitDialogControls);
