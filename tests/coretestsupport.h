#pragma once

#include <QGuiApplication>
#include <QTemporaryDir>

// What the tests of the core units need, without Qt Widgets.

// A home and XDG folders of the test's own for as long as it lives, whatever
// the environment holds: no test reads or writes the real ones.
class PrivateHome {
public:
    PrivateHome();

private:
    QTemporaryDir m_dir;
};

// Runs a Qt Test class of a core unit in a QGuiApplication: nothing of Qt
// Widgets is there for it to lean on.
#define VEXLO_CORE_TEST_MAIN(TestClass)          \
    int main(int argc, char** argv)              \
    {                                            \
        PrivateHome home;                        \
        QGuiApplication app(argc, argv);         \
        app.setAttribute(Qt::AA_Use96Dpi, true); \
        TestClass test;                          \
        return QTest::qExec(&test, argc, argv);  \
    }
