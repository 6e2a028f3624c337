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

// Runs a Qt Test class inside an application object of the given class.
#define VEXLO_TEST_MAIN_IN(AppClass, TestClass)  \
    int main(int argc, char** argv)              \
    {                                            \
        PrivateHome home;                        \
        AppClass app(argc, argv);                \
        app.setAttribute(Qt::AA_Use96Dpi, true); \
        TestClass test;                          \
        return QTest::qExec(&test, argc, argv);  \
    }

// Runs a Qt Test class of a core unit in a QGuiApplication: nothing of Qt
// Widgets is there for it to lean on.
#define VEXLO_CORE_TEST_MAIN(TestClass) VEXLO_TEST_MAIN_IN(QGuiApplication, TestClass)
