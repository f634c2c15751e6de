#include "ui/pages/config_page.h"

#include <QLineEdit>

#include "ui/combo_box.h"

CConfigPage::CConfigPage(const DialogTemplate& dialogTemplate,
                         std::span<const PageBinding> bindings)
    : TemplateDialog(dialogTemplate), m_bindings(bindings) {
}

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

QLineEdit* CConfigPage::Edit(int id) const { return DlgItem<QLineEdit>(id); }
