#include "framework/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

std::function<void(const QString&)>& Presenter()
{
    static std::function<void(const QString&)> presenter;
    return presenter;
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
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vexlo-Ed"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void SetPresenterForTesting(std::function<void(const QString&)> presenter)
{
    Presenter() = std::move(presenter);
}

}  // namespace ErrorBox
