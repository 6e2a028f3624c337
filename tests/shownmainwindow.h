#pragma once

#include <QTemporaryDir>
#include <QTest>

#include "globals.h"
#include "main.h"

// A shown main window with fresh settings over a settings folder of its own,
// as the program has it after start.
class ShownMainWindow {
public:
    ShownMainWindow() { SetProgramDirForTesting(m_dir.path()); }
    ~ShownMainWindow() { close(); }

    // Call from a test's init(): QVERIFY(window.open()).
    bool open()
    {
        close();
        Settings = TSettings();
        m_form = new TfrmMain;
        frmMain = m_form;
        m_form->show();
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
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    TfrmMain* m_form = nullptr;
};
