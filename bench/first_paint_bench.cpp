// Start-up to the first drawing of the main window, against a plain Qt
// Widgets window of the same size on the same display: each a fresh child
// process, timed from its spawn to the first paint event of its window,
// alternating, median of 10 each, and the ratio of the medians.
//
//   first_paint_bench [runs]
// Meant for a real display server (QT_QPA_PLATFORM=xcb under Xvfb).
#include <stdlib.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/child_process.h"
#include "catalogue/app_directory.h"
#include "ui/fenwold_app.h"
#include "ui/fenwold_dlg.h"

namespace {

// Tells the parent about the first paint of a top-level window of type W,
// then ends the process at once: tearing down is no part of starting.
template <class W>
class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<W*>(watched) != nullptr) {
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

int PlainChild(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstPaint<QWidget> painted;
    app.installEventFilter(&painted);
    QWidget window;
    window.resize(940, 580);  // about the main window's size
    window.show();
    return app.exec();
}

// The tool's own start-up (main.cpp), with its settings in a folder of its own.
int MainChild(int argc, char** argv) {
    char pattern[] = "/tmp/quorrel_paint_XXXXXX";
    const std::string folder = mkdtemp(pattern);
    std::ofstream(folder + "/ParamCfg.ini", std::ios::binary) << "[CONFIG]\r\nLANGUAGE=1\r\n";
    SetAppDirectoryForTesting(folder);
    QApplication app(argc, argv);
    FirstPaint<CFenwoldDlg> painted;
    app.installEventFilter(&painted);
    CFenwoldApp().InitInstance();
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--plain") == 0) return PlainChild(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "--main") == 0) return MainChild(argc, argv);
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("platform: %s\n", platform != nullptr ? platform : "(default)");
    std::vector<double> plain, main;
    for (int i = 0; i < runs; ++i) {
        if (const double ms = MsUntilChildSays(self, {"--plain"}, "painted"); ms > 0)
            plain.push_back(ms);
        if (const double ms = MsUntilChildSays(self, {"--main"}, "painted"); ms > 0)
            main.push_back(ms);
    }
    if (plain.empty() || main.empty()) {
        std::printf("no window was drawn\n");
        return 1;
    }
    std::printf("plain Qt window: median %.1f ms, min %.1f (%zu runs)\n", Median(plain),
                *std::min_element(plain.begin(), plain.end()), plain.size());
    std::printf("main window:     median %.1f ms, min %.1f (%zu runs)\n", Median(main),
                *std::min_element(main.begin(), main.end()), main.size());
    std::printf("ratio main / plain: %.2f (medians), %.2f (minima)\n", Median(main) / Median(plain),
                *std::min_element(main.begin(), main.end()) /
                    *std::min_element(plain.begin(), plain.end()));
    return 0;
}
