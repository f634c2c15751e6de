// Entry points of the firmware upgrade dialog, the command window and the PC
// port options, behind their button and menu items.
#include "ui/cmd_config_dialog.h"
#include "ui/com_option_dlg.h"
#include "ui/fenwold_dlg.h"
#include "ui/upgrade_dlg.h"

void CFenwoldDlg::OnBnClickedUpgrade() {
    CUpgradeDlg dialog(this, m_pDevice);
    dialog.DoModal();
}

void CFenwoldDlg::OnMenuCommandWindow() {
    CCmdConfigDialog dialog(this, m_pDevice);
    dialog.DoModal();
}

// The settings apply at the next opening of the port; an open port keeps its own.
void CFenwoldDlg::OnMenuComSettings() {
    CComOptionDlg dialog(this);
    dialog.m_settings = m_portSettings;
    if (dialog.DoModal() == IDOK) m_portSettings = dialog.m_settings;
}
