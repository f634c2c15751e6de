#pragma once

#include "ui/pages/config_page.h"

// Pins D1 to D5 of the module, each with a mode and an acquisition interval.
// A pin's interval can be edited only while the pin is an input.
class CIOConfigDialog : public CConfigPage {
    Q_OBJECT
public:
    CIOConfigDialog();

    void UpdateControlStates() override;
    void OnCbnSelchangeMode();
};
