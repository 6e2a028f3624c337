// The yardsticks the benchmarks measure against, plain Qt doing the same job.
//   bare_window              a window with a menu bar and a text area (start-up)
//   bare_window --text FILE  a bare text area of the main text area's shape and
//                            font holding the file (keystroke, select-all)
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--text")) {
        QFile file(arguments.at(2));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        QPlainTextEdit edit;
        edit.setWindowTitle(QStringLiteral("bare text"));
        edit.setFont(QFont(QStringLiteral("Arial"), 10));
        edit.setPlainText(QString::fromUtf8(file.readAll()).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        edit.resize(319, 215);
        edit.show();
        return app.exec();
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.menuBar()->addMenu(QStringLiteral("Datei"))->addAction(QStringLiteral("Beenden"), &app, &QApplication::quit);
    window.setCentralWidget(new QPlainTextEdit);
    window.resize(482, 275);
    window.show();
    return app.exec();
}
