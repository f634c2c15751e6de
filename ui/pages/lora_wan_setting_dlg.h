#pragma once

#include "ui/pages/config_page.h"

// Network page of the LoRaWAN firmware. The relay rows (a relay network the
// module can also join) are shown only for the relay and blind-spot device
// types; the AppEUI is kept but never shown once values have been set.
class CLoraWanSettingDlg : public CConfigPage {
    Q_OBJECT
public:
    CLoraWanSettingDlg();

    void SetValues(const ParamValueMap& values) override;

    void ShowRelayControls(bool show);
    // position: of the device-type list; -1 for no selection.
    void OnDeviceTypeChanged(int position);
    void OnCbnSelchangeDeviceType();

protected:
    void UpdateLabels() override;
};
