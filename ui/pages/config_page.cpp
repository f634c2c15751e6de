#include "ui/pages/config_page.h"

#include <cstring>

CConfigPage::CConfigPage(const DialogTemplate& dialogTemplate,
                         std::span<const PageBinding> bindings)
    : TemplateDialog(dialogTemplate), m_bindings(bindings) {}

bool CConfigPage::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    Initialize();
    return true;
}

void CConfigPage::BindControls() {
    for (const PageBinding& row : m_bindings) {
        if (QWidget* control = GetDlgItem(row.controlId)) m_controls[row.configId] = control;
    }
}

void CConfigPage::UpdateLabels() {
    std::string label;
    for (const PageBinding& row : m_bindings) {
        if (GetParamLabel(row.configId, label)) SetDlgItemText(row.labelId, label);
    }
}

void CConfigPage::HideBoundRow(const char* configId) {
    for (const PageBinding& row : m_bindings) {
        if (std::strcmp(row.configId, configId) != 0) continue;
        ShowDlgItem(row.controlId, false);
        EnableDlgItem(row.controlId, false);
        ShowDlgItem(row.labelId, false);
    }
}
