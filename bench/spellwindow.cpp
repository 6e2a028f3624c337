#include "spellwindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include "benchsupport.h"
#include "spelling/spellview.h"
#include "storage/globals.h"
#include "text/memo.h"
#include "windows/main.h"

SpellWindow::SpellWindow(SpellMode mode)
{
    SetProgramDirForTesting(dir.path());
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    if (mode == Floor) {
        bare = ShownFloorEditor();
        editor = bare.get();
    } else {
        form = std::make_unique<TfrmMain>();
        form->show();
        editor = form->memoMain;
        checker = form->memoMain->findChild<TSpellView*>(QStringLiteral("spellView"))->checker();
        checker->setEnabled(mode == On);
        checker->startLoading();
        // Measured once the dictionary is ready.
        while (checker->state() == TSpellChecker::State::Loading) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
    }
    editor->setFocus();
    Idle();
}

SpellWindow::~SpellWindow() = default;

void SpellWindow::setText(const QString& text)
{
    if (form)
        form->memoMain->setText(text);
    else
        editor->setPlainText(text);
}

void SpellWindow::settle()
{
    Idle();
    while (checker && checker->isBusy()) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    Idle();
}
