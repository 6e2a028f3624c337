#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

#include "coretestsupport.h"
#include "framework/Application.h"

// Runs a Qt Test class inside the program's own application object, so that
// errors raised by handlers reach the error box as in the program.
#define VEXLO_TEST_MAIN(TestClass) VEXLO_TEST_MAIN_IN(TApplication, TestClass)

// Records what the error box would have shown, instead of showing it.
class ErrorBoxRecorder {
public:
    ErrorBoxRecorder();
    ~ErrorBoxRecorder();
    QStringList shown;
};

// Runs what the window leaves until its text has been painted: the figures
// beside the text are worked out then.
void ShowFigures();

// A widget as its window last showed it: the painted pixels, not a fresh rendering.
QImage ShownViewport(QWidget* window, QWidget* viewport);
// The widget painted afresh, in the format ShownViewport gives.
QImage FreshlyPainted(QWidget* widget);

QByteArray ReadFileBytes(const QString& fileName);
void WriteFileBytes(const QString& fileName, const QByteArray& bytes);

// The message of the error the action raises, or an empty text when none.
QString ErrorOf(const std::function<void()>& action);

// Runs body in a child process (so that limits it sets stay there) and
// returns the text it returned, or a note of how the child ended otherwise.
QString TextFromChild(const std::function<QString()>& body);

// Lowers the largest file size this process may write, so that a write fails
// part-way even for a user who may write everywhere; SIGXFSZ is ignored.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long long bytes);
    ~FileSizeLimit();
    bool active() const { return m_active; }

private:
    unsigned long long m_oldCurrent = 0;
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};
