#include "recovery.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLockFile>
#include <QMessageBox>
#include <cerrno>

#include "framework/Application.h"
#include "framework/VexloError.h"
#include "memo.h"
#include "settingsdir.h"
#include "textfile.h"

QString RecoveryFolder()
{
    // A relative path in the variable is not to be used, as for every XDG folder.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state + QStringLiteral("/vexloed"));
}

TRecovery::TRecovery(TMemo* memo, const QString& folder, QObject* parent)
    : QObject(parent), m_memo(memo), m_folder(folder)
{
    // The text is the user's own: the folder is closed to others, also one
    // that was there already. A file in its place is left alone and reported
    // at the first write.
    m_folderError = MakeDirectoryPath(m_folder);
    if (m_folderError == 0)
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_lock = std::make_unique<QLockFile>(m_folder + QStringLiteral("/recovery.lock"));
    // Held as long as the program runs; only a lock of a process that is gone
    // counts as stale, never one that is merely old.
    m_lock->setStaleLockTime(0);
    // A folder that cannot be written shows when the copy is written.
    m_owner = m_lock->tryLock(0) || m_lock->error() != QLockFile::LockFailedError;
    if (!m_owner)
        return;

    m_timer.setSingleShot(true);
    m_timer.setInterval(SaveDelay);
    connect(&m_timer, &QTimer::timeout, this, &TRecovery::SaveWhenDue);
    // All a keystroke costs: the timer starts again.
    connect(m_memo, &QPlainTextEdit::textChanged, &m_timer, qOverload<>(&QTimer::start));
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { SessionEnding(); });
}

TRecovery::~TRecovery() = default;

QString TRecovery::copyPath() const
{
    return m_folder + QStringLiteral("/recovery.txt");
}

bool TRecovery::Restore()
{
    if (!m_owner || !QFile::exists(copyPath()))
        return false;
    const QString text = ReadTextFile(copyPath());
    if (text.isEmpty())
        return false;
    m_memo->setText(text);
    m_timer.stop();  // the copy holds this text already
    return true;
}

void TRecovery::Save()
{
    if (!m_owner)
        return;
    m_timer.stop();
    if (m_folderError == ENOTDIR)
        throw VexloError(
            QStringLiteral("Der Ordner %1 kann nicht angelegt werden: Eine Datei liegt im Weg").arg(m_folder));
    const QString text = m_memo->text();
    if (text.isEmpty()) {
        if (!QFile::remove(copyPath()) && QFile::exists(copyPath()))
            throw VexloError(QStringLiteral("Datei %1 kann nicht gelöscht werden").arg(copyPath()));
        return;
    }
    WriteTextFile(copyPath(), text);
}

void TRecovery::SaveWhenDue()
{
    TApplication::Guard([this] {
        try {
            Save();
            m_failureShown = false;
        } catch (const VexloError& error) {
            // Once, not after every pause in typing; again after a write succeeded.
            if (m_failureShown)
                return;
            m_failureShown = true;
            throw VexloError(QStringLiteral("Die Sicherungskopie des Textes kann nicht geschrieben werden: %1")
                                 .arg(error.message()));
        }
    });
}

void TRecovery::SessionEnding()
{
    if (!m_owner)
        return;
    m_sessionEnding = true;
    SaveWhenDue();
}

void TRecovery::Finish()
{
    if (!m_owner)
        return;
    if (m_sessionEnding) {
        if (m_timer.isActive())
            SaveWhenDue();
    } else {
        m_timer.stop();
        // Should this fail, the next start merely offers the text once more.
        QFile::remove(copyPath());
    }
    m_lock->unlock();
    m_owner = false;
}

void ShowRestoredNotice(QWidget* parent, const QString& unopenedFile)
{
    QString notice = QStringLiteral("Der Text der letzten Sitzung wurde wiederhergestellt.");
    if (!unopenedFile.isEmpty())
        notice += QStringLiteral("\nDie Datei %1 wurde deshalb nicht geöffnet.").arg(unopenedFile);
    QMessageBox::information(parent, QStringLiteral("Vexlo-Ed"), notice);
}
