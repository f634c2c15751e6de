#include "ui/pages/config_page_helper.h"

#include <QLineEdit>

#include "ui/combo_box.h"
#include "ui/controls.h"

namespace {

const ParamValues* DomainOf(const CComDevice* device, const std::string& id) {
    const ConfigParam* param = device->FindConfigParam(id);
    return param != nullptr ? param->domain : nullptr;
}

}  // namespace

CConfigPageHelper::~CConfigPageHelper() = default;

void CConfigPageHelper::Initialize() {
    UpdateLabels();
    BindControls();
    LoadControls();
}

void CConfigPageHelper::LoadControls() {
    for (const auto& [id, control] : m_controls) {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            LoadEdit(id, edit);
        } else if (auto* combo = qobject_cast<ComboBox*>(control)) {
            LoadCombo(id, combo);
        }
    }
}

void CConfigPageHelper::LoadCombo(const std::string& id, ComboBox* combo) {
    const ConfigParam* param = m_device->FindConfigParam(id);
    if (param == nullptr || param->domain == nullptr) return;
    const int count = param->domain->GetCount();
    for (int i = 0; i < count; ++i) {
        std::string text;
        if (!param->domain->GetDisplayText(i, text)) text.clear();
        // An explicit position: the list keeps the domain's order even in a
        // box with the sorted style.
        combo->InsertString(i, text);
    }
    const std::string initial = param->GetDefaultValue();
    combo->SetCurSel(initial.empty() ? -1 : param->domain->IndexOf(initial));
}

void CConfigPageHelper::LoadEdit(const std::string& id, QLineEdit* edit) {
    const ConfigParam* param = m_device->FindConfigParam(id);
    if (param == nullptr) return;
    const std::string initial = param->GetDefaultValue();
    if (!initial.empty()) SetWindowText(edit, initial);
}

void CConfigPageHelper::SetValues(const ParamValueMap& values) {
    for (const auto& [id, control] : m_controls) {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            SetWindowText(edit, "");
            const auto found = values.find(id);
            if (found != values.end()) ShowEditValue(id, edit, found->second);
        } else if (auto* combo = qobject_cast<ComboBox*>(control)) {
            // A combo box whose id is absent keeps its selection.
            const auto found = values.find(id);
            if (found != values.end()) ShowComboValue(id, combo, found->second);
        }
    }
    UpdateControlStates();
}

void CConfigPageHelper::ShowEditValue(const std::string&, QLineEdit* edit, const std::string& value) {
    SetWindowText(edit, value);
}

void CConfigPageHelper::ShowComboValue(const std::string& id, ComboBox* combo,
                                       const std::string& value) {
    const ParamValues* domain = DomainOf(m_device, id);
    combo->SetCurSel(domain != nullptr ? domain->IndexOf(value) : -1);
}

void CConfigPageHelper::GetValues(ParamValueMap& out) {
    for (const auto& [id, control] : m_controls) {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            ReadEdit(id, edit, out);
        } else if (auto* combo = qobject_cast<ComboBox*>(control)) {
            ReadCombo(id, combo, out);
        }
    }
}

bool CConfigPageHelper::ReadEdit(const std::string& id, QLineEdit* edit, ParamValueMap& out) {
    const std::string text = GetWindowText(edit);
    if (!text.empty()) out[id] = text;
    return true;
}

bool CConfigPageHelper::ReadCombo(const std::string& id, ComboBox* combo, ParamValueMap& out) {
    const int sel = combo->GetCurSel();
    if (sel == -1) return true;
    const ParamValues* domain = DomainOf(m_device, id);
    if (domain == nullptr) return true;
    std::string value;
    if (!domain->GetValue(sel, value)) return false;
    out[id] = value;
    return true;
}

void CConfigPageHelper::UpdateControlStates() {
    for (const auto& [id, control] : m_controls) {
        const bool supported = m_device->m_supportedParams.count(id) != 0;
        EnableWindow(control, supported);
        if (supported) continue;
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            SetWindowText(edit, "");
        } else if (auto* combo = qobject_cast<ComboBox*>(control)) {
            combo->SetCurSel(-1);
        }
    }
}

bool CConfigPageHelper::GetParamLabel(const std::string& id, std::string& label) {
    const ConfigParam* param = m_device->FindConfigParam(id);
    if (param == nullptr) return false;
    label = param->GetLabel();
    return true;
}

std::string GetMapValue(const ParamValueMap& map, const std::string& key) {
    const auto found = map.find(key);
    return found != map.end() ? found->second : std::string();
}
