#pragma once

#include <QString>
#include <functional>

class QWidget;

// The error box: title "Vexlo-Ed", error icon, OK.
namespace ErrorBox {

// A message whose last character sorts after "." gets a full stop.
QString WithPeriod(const QString& message);

// Shows the box (modal) with the period rule applied.
void Show(const QString& message);

// Tests replace the modal box by a recorder; pass an empty function to restore.
void SetPresenterForTesting(std::function<void(const QString& shownText)> presenter);

}  // namespace ErrorBox
