// The baseline of the start-up benchmark: the least a Qt Widgets program does
// to show one window, so the figure for Zorvane reads as a ratio of it.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("baseline"));
    window.resize(435, 417);
    window.show();
    return QApplication::exec();
}
