#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The file-open and file-save dialogs, with a seam for tests: a queued answer
// is returned instead of showing a dialog ("" stands for cancel).
namespace FileDialogs {

// folder, when given and still there, is where the dialog starts.
QString GetOpenFileName(QWidget* parent, const QStringList& filters, const QString& folder = QString());
// suggestion, when given, is the file the dialog starts in and offers by name.
QString GetSaveFileName(QWidget* parent, const QStringList& filters, const QString& defaultSuffix,
                        const QString& suggestion = QString());

void QueueAnswerForTesting(const QString& fileName);

}  // namespace FileDialogs
