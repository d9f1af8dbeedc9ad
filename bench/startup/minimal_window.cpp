// The reference for start-up: a plain frameless Qt window of the program's size that ends
// once its first frame is on the screen. It is stamped exactly as the program's
// --quit-after-paint run is: the first paint event queues a zero timer, which reads the
// monotonic clock and the peak resident set, prints them and quits.
// Usage: bench_minimal_window [--size W H]
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <sys/resource.h>

namespace {

long long Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000 + ts.tv_nsec;
}

long PeakRssKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kb;
}

class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(0, 0, 100));
        if (!queued_) {
            queued_ = true;
            painting_ = Now();
            QTimer::singleShot(0, this, [this] {
                const long long now = Now();
                const long peak = PeakRssKb();
                rusage u{};
                getrusage(RUSAGE_SELF, &u);
                std::printf("stage first frame %lld %lld\n", painting_, now);
                std::printf("first-paint %lld\npeak-rss-kb %ld\nminor-faults %ld\nwindow %d %d\n",
                            now, peak, long(u.ru_minflt), width(), height());
                std::fflush(stdout);
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            });
        }
    }

private:
    bool queued_ = false;
    long long painting_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const long long entered = Now();
    int w = 640, h = 480;
    for (int i = 1; i + 2 < argc; ++i)
        if (std::strcmp(argv[i], "--size") == 0) {
            w = std::atoi(argv[i + 1]);
            h = std::atoi(argv[i + 2]);
            break;
        }
    const long long before = Now();
    QApplication app(argc, argv);
    std::printf("stage main() entered %lld %lld\nstage QApplication %lld %lld\n", entered, entered,
                before, Now());
    Window win;
    win.setWindowFlags(Qt::FramelessWindowHint);
    win.resize(w > 0 ? w : 640, h > 0 ? h : 480);
    win.show();
    return app.exec();
}
