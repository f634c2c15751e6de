#include "ui/fenwold_app.h"

#include <QApplication>

#include "catalogue/product_version.h"
#include "link/com_device.h"
#include "link/version_profiles.h"
#include "ui/fenwold_dlg.h"

void ConfigureDevice(CComDevice& device) {
    device.LoadAtCommands();
    device.LoadConfigParams();
    device.SetVersionParser(ParseProductVersion);
    RegisterVersionProfiles(device);
}

bool CFenwoldApp::InitInstance() {
    // Message boxes take their title from the application's name.
    QApplication::setApplicationName(QStringLiteral("Quorrel"));

    // The device outlives the dialog: the dialog, its pages and every job hold
    // plain pointers to it. Its destruction closes a port still open.
    CComDevice device;
    ConfigureDevice(device);
    {
        CFenwoldDlg dialog(&device);
        dialog.DoModal();
    }
    return false;
}
