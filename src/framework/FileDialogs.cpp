#include "framework/FileDialogs.h"

#include <QFileDialog>
#include <QQueue>

namespace {

QQueue<QString>& QueuedAnswers()
{
    static QQueue<QString> answers;
    return answers;
}

QString Run(QFileDialog& dialog)
{
    if (!QueuedAnswers().isEmpty())
        return QueuedAnswers().dequeue();
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

}  // namespace

namespace FileDialogs {

QString GetOpenFileName(QWidget* parent, const QStringList& filters)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    return Run(dialog);
}

QString GetSaveFileName(QWidget* parent, const QStringList& filters, const QString& defaultSuffix)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return Run(dialog);
}

void QueueAnswerForTesting(const QString& fileName)
{
    QueuedAnswers().enqueue(fileName);
}

}  // namespace FileDialogs
