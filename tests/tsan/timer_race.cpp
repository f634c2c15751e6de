// A race the suppressions must not hide: a worker thread writes a field that
// a timer handler reads on the UI thread, with nothing ordering the two. The
// read's stack runs through Qt's event loop; ThreadSanitizer has to report
// it all the same, or the suppression file silences real faults.
#include <QCoreApplication>
#include <QTimer>
#include <thread>

namespace {

struct Shared {
    int progress = 0;  // written by the worker, read by the timer: unguarded on purpose
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Shared shared;
    std::thread worker([&shared] { shared.progress = 42; });
    int seen = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        seen = shared.progress;
        app.quit();
    });
    timer.start(20);
    app.exec();
    worker.join();
    return seen == 42 ? 0 : 1;
}
