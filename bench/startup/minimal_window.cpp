// The reference for start-up: a plain Qt window that ends after its first paint.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <QPainter>
#include <QTimer>
#include <QWidget>

class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(0, 0, 100));
        if (!done_) {
            done_ = true;
            std::printf("first-paint %lld\n",
                        (long long)std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count());
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

private:
    bool done_ = false;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window w;
    w.setWindowFlags(Qt::FramelessWindowHint);
    w.resize(640, 480);
    w.show();
    return app.exec();
}
