#pragma once

#include <QApplication>
#include <QIcon>
#include <functional>

#include "framework/Colors.h"

// The application object: title, icon, hint colour and pause, the minimise
// event, the application window's state, and the one place where errors
// raised by handlers are caught and shown.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    static TApplication* instance();

    bool notify(QObject* receiver, QEvent* event) override;

    QString title() const { return applicationName(); }
    void setTitle(const QString& title);

    QIcon icon() const { return windowIcon(); }

    void setHintColor(TColor color);
    void setHintPause(int milliseconds);
    int hintPause() const { return m_hintPause; }

    // The first window registered becomes the main window: its minimising is
    // the application's minimise event.
    void setMainWindow(QWidget* window);
    QWidget* mainWindow() const { return m_mainWindow; }
    std::function<void()> OnMinimize;

    // The taskbar button belongs to the main window on this desktop; the
    // application window only records whether it is meant to be shown.
    void showApplicationWindow(bool visible) { m_applicationWindowVisible = visible; }
    bool applicationWindowVisible() const { return m_applicationWindowVisible; }

    // Whether the main window is shown at start (cleared by "start minimised").
    bool showMainForm = true;

    void terminate();

    // Runs fn, showing any error it raises in the error box.
    static void Guard(const std::function<void()>& fn);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_mainWindow = nullptr;
    int m_hintPause = 700;
    bool m_applicationWindowVisible = true;
};
