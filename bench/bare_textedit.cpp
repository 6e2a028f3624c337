// The yardstick for an idle window: a bare QPlainTextEdit with the focus, its
// caret blinking; with --hidden, a bare window shown once and hidden again.
#include <QApplication>
#include <QPlainTextEdit>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QPlainTextEdit editor;
    editor.setWindowTitle(QStringLiteral("bare editor"));
    editor.resize(482, 275);
    editor.show();
    editor.activateWindow();
    editor.setFocus();
    if (app.arguments().contains(QStringLiteral("--hidden")))
        editor.hide();
    return app.exec();
}
