#pragma once

#include <QTemporaryDir>
#include <QTest>

#include "storage/globals.h"
#include "windows/main.h"

// The main window over a settings folder of its own, as the program has it
// after start: made afresh by each test, with the settings file it is given.
class ShownMainWindow {
public:
    ShownMainWindow() { SetProgramDirForTesting(m_dir.path()); }
    ~ShownMainWindow() { close(); }

    // A new window, not shown, with the settings as the file now holds them.
    TfrmMain* create()
    {
        close();
        Settings = TSettings();
        m_form = new TfrmMain;
        frmMain = m_form;
        return m_form;
    }
    // Call from a test's init(): QVERIFY(window.open()).
    bool open()
    {
        create()->show();
        return m_dir.isValid() && QTest::qWaitForWindowExposed(m_form);
    }
    void close()
    {
        delete m_form;
        m_form = nullptr;
        frmMain = nullptr;
    }

    TfrmMain* operator->() const { return m_form; }
    TfrmMain* form() const { return m_form; }
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString iniPath() const { return filePath(QStringLiteral("vexloed.ini")); }

private:
    QTemporaryDir m_dir;
    TfrmMain* m_form = nullptr;
};
