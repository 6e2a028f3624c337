#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The file-open and file-save dialogs, with a seam for tests: a queued answer
// is returned instead of showing a dialog ("" stands for cancel).
namespace FileDialogs {

QString GetOpenFileName(QWidget* parent, const QStringList& filters);
QString GetSaveFileName(QWidget* parent, const QStringList& filters, const QString& defaultSuffix);

void QueueAnswerForTesting(const QString& fileName);

}  // namespace FileDialogs
