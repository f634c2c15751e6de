#pragma once

class CComDevice;

// The application: builds the one module connection, runs the main dialog
// modally and destroys the connection after it.
class CFenwoldApp {
public:
    // Needs a QApplication. Always false: the main dialog's end is the end of
    // the application, no message loop of its own follows.
    bool InitInstance();
};

// The start-up configuration of a device: the AT table and catalogue indexes,
// the version parser and the firmware profile table.
void ConfigureDevice(CComDevice& device);
