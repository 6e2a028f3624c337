#include "framework/FileDialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QQueue>
#include <QScreen>
#include <QTreeView>
#include <functional>

#include "framework/FileName.h"

namespace {

QQueue<QString>& QueuedAnswers()
{
    static QQueue<QString> answers;
    return answers;
}

// The file list's sizes and dates as a German desktop writes them: the file
// model writes them in the system's locale, whatever the program speaks.
class GermanFileDetails : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid() || (index.column() != 1 && index.column() != 3))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        const QLocale german(QLocale::German, QLocale::Germany);
        if (index.column() == 3)
            return german.toString(files->lastModified(file), QLocale::ShortFormat);
        return files->isDir(file) ? QString() : german.formattedDataSize(files->size(file));
    }
};

// Each column but the name as wide as its title and its entries; the name takes the rest.
void FitColumns(QFileDialog& dialog)
{
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!list)
        return;
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

// At a high scale the dialog's own size can exceed the screen: it keeps to
// the room the desktop leaves, less a frame like the parent's.
void FitToScreen(QWidget* parent, QFileDialog& dialog)
{
    const QWidget* window = parent ? parent->window() : nullptr;
    QScreen* screen = window ? window->screen() : dialog.screen();
    if (!screen)
        return;
    const QSize frame = window && window->isVisible() ? window->frameGeometry().size() - window->size() : QSize();
    const QSize room = screen->availableGeometry().size() - frame;
    const QSize wanted = dialog.testAttribute(Qt::WA_Resized) ? dialog.size() : dialog.sizeHint();
    dialog.resize(wanted.boundedTo(room));
}

// A queued answer is taken without building a dialog at all.
QString Run(QWidget* parent, const std::function<void(QFileDialog&)>& configure)
{
    if (!QueuedAnswers().isEmpty())
        return QueuedAnswers().dequeue();
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setLocale(QLocale(QLocale::German, QLocale::Germany));
    dialog.setProxyModel(new GermanFileDetails(&dialog));
    configure(dialog);
    FitColumns(dialog);
    FitToScreen(parent, dialog);
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
