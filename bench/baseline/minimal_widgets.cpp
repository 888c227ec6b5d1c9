// The floor the footprint benchmark compares against: a Qt Widgets program with one label and one 100 ms timer.
// With --still the timer's handler does nothing: the event loop's own wake-ups, for the idle CPU figure.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <cstring>

int main(int argc, char** argv) {
    const bool still = argc > 1 && std::strcmp(argv[1], "--still") == 0;
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("0"));
    label.show();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &label, [&] {
        if (!still)
            label.setNum(++ticks);
    });
    timer.start(100);
    return app.exec();
}
