#include "framework/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

std::function<void(const QString&)>& Presenter()
{
    static std::function<void(const QString&)> presenter;
    return presenter;
}

// The window the box belongs to. Not every desktop tells which window is
// active (a Wayland compositor may not), so a shown window of the program
// stands in; without an owner the box could be placed anywhere.
QWidget* Owner()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !(window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip))
            return window;
    }
    return nullptr;
}

}  // namespace

namespace ErrorBox {

QString WithPeriod(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void Show(const QString& message)
{
    const QString text = WithPeriod(message);
    if (Presenter()) {
        Presenter()(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vexlo-Ed"), text, QMessageBox::Ok, Owner());
    box.exec();
}

void SetPresenterForTesting(std::function<void(const QString&)> presenter)
{
    Presenter() = std::move(presenter);
}

}  // namespace ErrorBox
