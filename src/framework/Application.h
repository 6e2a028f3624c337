#pragma once

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "framework/Colors.h"

// The application object: title, icon, hint colour and pause, the minimise
// event, the application window's state, and the one place where errors
// raised by handlers are shown (handlers reach it through Guarded).
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    static TApplication* instance();

    QString title() const { return applicationName(); }
    void setTitle(const QString& title);

    QIcon icon() const { return windowIcon(); }

    // The face the window descriptions name for every control.
    static QString designedUiFamily() { return QStringLiteral("MS Sans Serif"); }
    // The families that draw `family` as Qt would: from the first of the name
    // and its substitutes that is installed, the rest after it serving missing
    // characters in the same order. Named so, each size is found at once
    // instead of after a search of all fonts for the name, and every font
    // drawn by the same face shares one lookup.
    static QStringList drawnFamilies(const QString& family);
    // `font` drawn by the families above.
    static QFont drawnFont(const QFont& font);
    // The families that draw the windows' designed face.
    QStringList uiFamilies() const { return m_uiFamilies; }

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

    // Runs fn, showing any error it raises in the error box. Every handler
    // runs inside it: no error may travel through Qt's event delivery.
    static void Guard(const std::function<void()>& fn);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_mainWindow;
    QStringList m_uiFamilies;
    int m_hintPause = 700;
    bool m_applicationWindowVisible = true;
};
