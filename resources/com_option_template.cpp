#include "resources/com_option_ids.h"
#include "resources/dialog_templates.h"
#include "resources/dialog_result.h"

namespace {

// Each combo box's height includes its open list.
constexpr unsigned kListStyle = kDropDownList | kSorted;

constexpr ControlTemplate kComOptionControls[] = {
    {IDC_COMOPT_STATIC_BAUDRATE, ControlKind::Label, "Baudrate", 10, 12, 44, 8, kNoStyle},
    {IDC_COMOPT_COMBO_BAUDRATE, ControlKind::ComboBox, "", 58, 10, 80, 120, kListStyle},
    {IDC_COMOPT_STATIC_DATABITS, ControlKind::Label, "Bits", 10, 30, 44, 8, kNoStyle},
    {IDC_COMOPT_COMBO_DATABITS, ControlKind::ComboBox, "", 58, 28, 80, 60, kListStyle},
    {IDC_COMOPT_STATIC_STOPBITS, ControlKind::Label, "StopBits", 10, 48, 44, 8, kNoStyle},
    {IDC_COMOPT_COMBO_STOPBITS, ControlKind::ComboBox, "", 58, 46, 80, 60, kListStyle},
    {IDC_COMOPT_STATIC_PARITY, ControlKind::Label, "Parity", 10, 66, 44, 8, kNoStyle},
    {IDC_COMOPT_COMBO_PARITY, ControlKind::ComboBox, "", 58, 64, 80, 80, kListStyle},
    {IDOK, ControlKind::PushButton, "OK", 34, 88, 50, 14, kDefault},
    {IDCANCEL, ControlKind::PushButton, "Cancel", 88, 88, 50, 14, kNoStyle},
};

}  // namespace

extern const DialogTemplate g_comOptionTemplate = MakeDialogTemplate(
    IDD_COMOPT_DIALOG, "Serial Port Setting", 146, 110, 8, kPopup, kComOptionControls);
