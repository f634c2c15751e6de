#include <QApplication>
#include <iostream>

#include "platform/file_size_signal.h"
#include "ui/fenwold_app.h"
#include "ui/port_arguments.h"

CFenwoldApp theApp;

int main(int argc, char** argv) {
    IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    NamePortsFromArguments(argc, argv, std::cerr);
    theApp.InitInstance();
    return 0;
}
