// The yardstick for start-up: a bare Qt window, one empty QWidget.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(482, 275);
    window.show();
    return app.exec();
}
