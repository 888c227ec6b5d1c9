// The floor the footprint benchmark compares against: a Qt Widgets program with one label and one 100 ms timer.
#include <QApplication>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("0"));
    label.show();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &label, [&] { label.setNum(++ticks); });
    timer.start(100);
    return app.exec();
}
