#include "framework/FileDialogs.h"

#include <QFileDialog>
#include <QQueue>
#include <functional>

#include "framework/FileName.h"

namespace {

QQueue<QString>& QueuedAnswers()
{
    static QQueue<QString> answers;
    return answers;
}

// A queued answer is taken without building a dialog at all.
QString Run(QWidget* parent, const std::function<void(QFileDialog&)>& configure)
{
    if (!QueuedAnswers().isEmpty())
        return QueuedAnswers().dequeue();
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    configure(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return FileName::FromShownName(dialog.selectedFiles().constFirst());
}

}  // namespace

namespace FileDialogs {

QString GetOpenFileName(QWidget* parent, const QStringList& filters, const QString& folder)
{
    return Run(parent, [&](QFileDialog& dialog) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(filters);
        // A folder since removed leaves the dialog where it starts by itself.
        if (!folder.isEmpty())
            dialog.setDirectory(FileName::Display(folder));
    });
}

QString GetSaveFileName(QWidget* parent, const QStringList& filters, const QString& defaultSuffix,
                        const QString& suggestion)
{
    return Run(parent, [&](QFileDialog& dialog) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(filters);
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        // Shown as the dialog shows names; the answer finds the file again.
        if (!suggestion.isEmpty())
            dialog.selectFile(FileName::Display(suggestion));
    });
}

void QueueAnswerForTesting(const QString& fileName)
{
    QueuedAnswers().enqueue(fileName);
}

}  // namespace FileDialogs
