#include "ui/pages/io_config_dialog.h"

#include "resources/dialog_templates.h"
#include "resources/io_page_ids.h"
#include "ui/combo_box.h"

namespace {

constexpr PageBinding kIoBindings[] = {
    {"CONFIG_ID_DM1", IDC_IO_COMBO_DM1, IDC_IO_STATIC_DM1},
    {"CONFIG_ID_DM2", IDC_IO_COMBO_DM2, IDC_IO_STATIC_DM2},
    {"CONFIG_ID_DM3", IDC_IO_COMBO_DM3, IDC_IO_STATIC_DM3},
    {"CONFIG_ID_DM4", IDC_IO_COMBO_DM4, IDC_IO_STATIC_DM4},
    {"CONFIG_ID_DM5", IDC_IO_COMBO_DM5, IDC_IO_STATIC_DM5},
    {"CONFIG_ID_DT1", IDC_IO_EDIT_DT1, IDC_IO_STATIC_DT1},
    {"CONFIG_ID_DT2", IDC_IO_EDIT_DT2, IDC_IO_STATIC_DT2},
    {"CONFIG_ID_DT3", IDC_IO_EDIT_DT3, IDC_IO_STATIC_DT3},
    {"CONFIG_ID_DT4", IDC_IO_EDIT_DT4, IDC_IO_STATIC_DT4},
    {"CONFIG_ID_DT5", IDC_IO_EDIT_DT5, IDC_IO_STATIC_DT5},
};

// Mode combo and interval edit of pins D1 to D5.
struct Pin {
    int mode;
    int interval;
};
constexpr Pin kPins[] = {
    {IDC_IO_COMBO_DM1, IDC_IO_EDIT_DT1}, {IDC_IO_COMBO_DM2, IDC_IO_EDIT_DT2},
    {IDC_IO_COMBO_DM3, IDC_IO_EDIT_DT3}, {IDC_IO_COMBO_DM4, IDC_IO_EDIT_DT4},
    {IDC_IO_COMBO_DM5, IDC_IO_EDIT_DT5},
};

// Positions of the mode list: 1 analog input, 2 GPIO input.
bool IsInputMode(int position) { return position == 1 || position == 2; }

}  // namespace

CIOConfigDialog::CIOConfigDialog() : CConfigPage(g_ioPageTemplate, kIoBindings) {
    for (const Pin& pin : kPins) {
        if (ComboBox* mode = Combo(pin.mode)) {
            connect(mode, &QComboBox::activated, this, [this] { OnCbnSelchangeMode(); });
        }
    }
}

void CIOConfigDialog::UpdateControlStates() {
    CConfigPageHelper::UpdateControlStates();
    // A disabled interval keeps its text, and GetValues still reads it.
    for (const Pin& pin : kPins) {
        const ComboBox* mode = Combo(pin.mode);
        EnableDlgItem(pin.interval, mode != nullptr && IsInputMode(mode->GetCurSel()));
    }
}

void CIOConfigDialog::OnCbnSelchangeMode() { UpdateControlStates(); }
