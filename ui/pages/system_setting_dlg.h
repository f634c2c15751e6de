#pragma once

#include "ui/pages/config_page.h"

class ComboBox;

// The module's system parameters. Besides the bound controls it carries the
// wake-up scheme: a check box and two radio buttons that stand for the
// pairs of sleep mode and preamble time the module knows (wake-up node:
// sleep mode 0 with a preamble; sleep node: sleep mode 1). Network modules
// (LoRaWAN, CLAA) have no wake-up scheme, a two-item work-mode list, and the
// auto-join and heart-period rows.
class CSystemSettingDlg : public CConfigPage {
    Q_OBJECT
public:
    CSystemSettingDlg();

    void SetValues(const ParamValueMap& values) override;
    void GetValues(ParamValueMap& out) override;

    void UpdateWakeupControls(bool wakeupMode, bool wakeupNode);
    void FillWorkModeCombo(bool limited);
    void OnBnClickedWakeupMode();
    void OnBnClickedSleepNode();

protected:
    bool OnInitDialog() override;
    void UpdateLabels() override;

private:
    ComboBox* m_comboWorkMode;
    ComboBox* m_comboSleepMode;
};
