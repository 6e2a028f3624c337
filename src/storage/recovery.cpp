#include "storage/recovery.h"

#include <stdio.h>  // renameat2
#include <unistd.h>

#include <fcntl.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>
#include <QMessageBox>
#include <algorithm>
#include <cerrno>

#include "framework/Application.h"
#include "framework/AtomicFile.h"
#include "framework/Guarded.h"
#include "framework/VexloError.h"
#include "storage/settingsdir.h"
#include "storage/textfile.h"
#include "text/memo.h"

namespace {

// Moves a copy that is not put into the text to a name of its own beside it,
// recovery-<when it was written>.txt, never over an existing file. Returns
// the new path, or an empty text when it could not be moved.
QString MoveAside(const QString& path)
{
    const QFileInfo info(path);
    const QString stamp = info.lastModified().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    const QByteArray from = QFile::encodeName(path);
    for (int n = 1; n < 1000; ++n) {
        const QString target = info.absolutePath() + QStringLiteral("/recovery-") + stamp +
                               (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + QStringLiteral(".txt");
        const QByteArray to = QFile::encodeName(target);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return target;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS)
            return QString();
        // A file system without that kind of rename: a second name, then the old one goes.
        if (::link(from.constData(), to.constData()) == 0) {
            ::unlink(from.constData());
            return target;
        }
        if (errno != EEXIST)
            return QString();
    }
    return QString();
}

// The slot whose trace a file is: "recovery.txt", "recovery.lock" and their
// temporary files (a dot before, anything after) are the first slot's,
// "recovery-N.txt" and so on slot N's (N of one to three digits, 2 or more);
// 0 for any other file, such as a copy moved aside. Read by hand: a regular
// expression would be compiled at every start.
int TraceSlot(QStringView name)
{
    if (name.startsWith(u'.'))
        name = name.mid(1);
    if (!name.startsWith(u"recovery"))
        return 0;
    name = name.mid(8);
    int slot = 1;
    if (name.startsWith(u'-')) {
        qsizetype end = 1;
        while (end < name.size() && end <= 3 && name[end] >= u'0' && name[end] <= u'9')
            ++end;
        slot = name.mid(1, end - 1).toInt();
        if (slot < 2)
            return 0;
        name = name.mid(end);
    }
    return name.startsWith(u".txt") || name.startsWith(u".lock") ? slot : 0;
}

}  // namespace

QString RecoveryFolder()
{
    return QDir::cleanPath(XdgUserFolder("XDG_STATE_HOME", QStringLiteral(".local/state")) +
                           QStringLiteral("/vexloed"));
}

TRecovery::TRecovery(TMemo* memo, const QString& folder, QObject* parent)
    : QObject(parent), m_memo(memo), m_folder(folder), m_snapshot(&memo->pieces(), &TApplication::Guard)
{
    // The text is the user's own: the folder is closed to others, also one
    // that was there already. A file in its place is left alone and reported
    // at the first write.
    m_folderError = MakeDirectoryPath(m_folder);
    if (m_folderError == 0)
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    takeSlots();
    if (!m_owner)
        return;

    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, Guarded(this, &TRecovery::copyWhenDue));
    // All a keystroke costs: the timer starts again.
    connect(m_memo, &QPlainTextEdit::textChanged, this, Guarded(this, &TRecovery::changed));
    m_snapshot.onDone = [this](SnapshotText text) { snapshotDone(std::move(text)); };
    // Queued: the writer tells from its own thread.
    connect(&m_writer, &TRecoveryWriter::written, this, &TRecovery::writtenInBackground);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { SessionEnding(); });
}

TRecovery::~TRecovery() = default;

QString TRecovery::slotCopyPath(int slot) const
{
    return m_folder + (slot > 1 ? QStringLiteral("/recovery-%1.txt").arg(slot) : QStringLiteral("/recovery.txt"));
}

QString TRecovery::slotLockPath(int slot) const
{
    return m_folder + (slot > 1 ? QStringLiteral("/recovery-%1.lock").arg(slot) : QStringLiteral("/recovery.lock"));
}

QString TRecovery::copyPath() const
{
    return slotCopyPath(m_slot);
}

// The first slot whose lock is free becomes this instance's. Every other
// slot that shows traces (a copy, a lock, a temporary file) and whose lock is
// free belonged to an instance that is gone: its copy waits for Restore.
void TRecovery::takeSlots()
{
    const auto makeLock = [this](int slot) {
        auto lock = std::make_unique<QLockFile>(slotLockPath(slot));
        // Held as long as the program runs; only a lock of a process that is
        // gone counts as stale, never one that is merely old.
        lock->setStaleLockTime(0);
        return lock;
    };
    for (int slot = 1; slot <= MaxInstances && !m_owner; ++slot) {
        auto lock = makeLock(slot);
        // A folder that cannot be written shows when the copy is written.
        if (lock->tryLock(0) || lock->error() != QLockFile::LockFailedError) {
            m_slot = slot;
            m_lock = std::move(lock);
            m_owner = true;
        }
    }
    if (!m_owner)
        return;
    // No instance writes the temporary files of a slot whose lock is held here.
    const QDateTime now = QDateTime::currentDateTime();
    RemoveStaleTemporaryFiles(copyPath(), now);

    std::vector<int> traces;
    for (const QString& name : QDir(m_folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const int slot = TraceSlot(name);
        if (slot > 0 && slot != m_slot && slot <= MaxInstances)
            traces.push_back(slot);
    }
    std::sort(traces.begin(), traces.end());
    traces.erase(std::unique(traces.begin(), traces.end()), traces.end());
    for (const int slot : traces) {
        auto lock = makeLock(slot);
        if (!lock->tryLock(0))
            continue;  // its instance runs
        RemoveStaleTemporaryFiles(slotCopyPath(slot), now);
        if (QFile::exists(slotCopyPath(slot)))
            m_goneSlots.emplace_back(slot, std::move(lock));
    }
}

RecoveryReport TRecovery::Restore()
{
    RecoveryReport report;
    if (!m_owner)
        return report;
    struct Copy {
        QString path;
        QDateTime written;
    };
    std::vector<Copy> copies;
    const auto add = [&](const QString& path) {
        const QFileInfo info(path);
        if (info.exists())
            copies.push_back({path, info.lastModified()});
    };
    add(copyPath());
    for (const auto& gone : m_goneSlots)
        add(slotCopyPath(gone.first));
    // The newest goes into the text; any other is put aside whole.
    std::stable_sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) { return a.written > b.written; });

    QString restoredFrom;
    for (const Copy& copy : copies) {
        if (restoredFrom.isEmpty()) {
            QString text;
            QString failure;
            try {
                text = ReadTextFile(copy.path, true);
                if (!text.isEmpty())
                    m_memo->setText(text);
            } catch (const VexloError& error) {
                failure = error.message();
            }
            if (failure.isEmpty() && text.isEmpty()) {
                if (copy.path != copyPath())
                    QFile::remove(copy.path);  // holds nothing
                continue;
            }
            if (failure.isEmpty()) {
                restoredFrom = copy.path;
                report.restored = true;
                continue;
            }
            // Never overwritten or removed: the next write would replace it.
            const QString aside = MoveAside(copy.path);
            if (!aside.isEmpty()) {
                report.unloadable << QStringLiteral(
                                         "Die Sicherungskopie %1 konnte nicht geladen werden: %2\n"
                                         "Sie liegt jetzt unter %3.")
                                         .arg(copy.path, failure, aside);
            } else {
                report.unloadable << QStringLiteral(
                                         "Die Sicherungskopie %1 konnte nicht geladen werden: %2\n"
                                         "Sie bleibt dort; für diese Sitzung wird keine Kopie geführt.")
                                         .arg(copy.path, failure);
                if (copy.path == copyPath())
                    m_owner = false;
            }
            continue;
        }
        const QString aside = MoveAside(copy.path);
        report.setAside << (aside.isEmpty() ? copy.path : aside);
    }
    // The restored text's copy becomes this instance's.
    if (!restoredFrom.isEmpty() && m_owner &&
        (restoredFrom == copyPath() ||
         ::rename(QFile::encodeName(restoredFrom).constData(), QFile::encodeName(copyPath()).constData()) == 0)) {
        m_timer.stop();  // the copy holds this text already
        m_unsavedSince.invalidate();
    }
    m_goneSlots.clear();
    return report;
}

void TRecovery::changed()
{
    if (!m_owner)
        return;
    if (!m_unsavedSince.isValid())
        m_unsavedSince.start();
    const qint64 left = std::max<qint64>(0, m_longest - m_unsavedSince.elapsed());
    m_timer.start(int(std::min<qint64>(m_pause, left)));
}

void TRecovery::copyWhenDue()
{
    // A snapshot under way takes this change in too.
    if (!m_snapshot.isRunning())
        m_snapshot.start();
}

void TRecovery::snapshotDone(SnapshotText text)
{
    // The snapshot holds every change up to now.
    m_timer.stop();
    m_unsavedSince.invalidate();
    if (!folderProblem().isEmpty()) {
        TApplication::Guard([this] { report(folderProblem()); });
        return;
    }
    m_writer.write(copyPath(), std::move(text));
}

QString TRecovery::folderProblem() const
{
    if (m_folderError != ENOTDIR)
        return QString();  // any other failure shows as the write's own
    return QStringLiteral("Der Ordner %1 kann nicht angelegt werden: Eine Datei liegt im Weg").arg(m_folder);
}

void TRecovery::writtenInBackground(const QString& error)
{
    TApplication::Guard([&] { report(error); });
}

void TRecovery::report(const QString& error)
{
    if (error.isEmpty()) {
        m_failureShown = false;
        return;
    }
    // Once, not after every pause in typing; again after a write succeeded.
    if (m_failureShown)
        return;
    m_failureShown = true;
    throw VexloError(QStringLiteral("Die Sicherungskopie des Textes kann nicht geschrieben werden: %1").arg(error));
}

void TRecovery::stopCopying()
{
    m_timer.stop();
    m_snapshot.cancel();
    m_writer.cancel();
    m_unsavedSince.invalidate();
}

void TRecovery::Save()
{
    if (!m_owner)
        return;
    stopCopying();
    if (!folderProblem().isEmpty())
        throw VexloError(folderProblem());
    TRecoveryWriter::WriteNow(copyPath(), TTextSnapshot::TakeWhole(&m_memo->pieces()));
}

void TRecovery::SessionEnding()
{
    if (!m_owner)
        return;
    m_sessionEnding = true;
    TApplication::Guard([this] {
        QString error;
        try {
            Save();
        } catch (const VexloError& failure) {
            error = failure.message();
        }
        report(error);
    });
}

void TRecovery::Finish()
{
    if (!m_owner)
        return;
    if (m_sessionEnding) {
        if (m_unsavedSince.isValid() || m_snapshot.isRunning())
            SessionEnding();
        m_writer.wait();
    } else {
        stopCopying();
        // Should this fail, the next start merely offers the text once more.
        QFile::remove(copyPath());
    }
    m_lock->unlock();
    m_owner = false;
}

void TRecovery::setDelaysForTesting(int pause, int longest)
{
    m_pause = pause;
    m_longest = longest;
}

bool TRecovery::isBusy()
{
    return m_timer.isActive() || m_snapshot.isRunning() || m_writer.isBusy();
}

void ShowRestoredNotice(QWidget* parent, const RecoveryReport& report, const QString& unopenedFile)
{
    QStringList notice;
    if (report.restored) {
        notice << QStringLiteral("Der Text der letzten Sitzung wurde wiederhergestellt.");
        if (!unopenedFile.isEmpty())
            notice << QStringLiteral("Die Datei %1 wurde deshalb nicht geöffnet.").arg(unopenedFile);
    }
    if (!report.setAside.isEmpty())
        notice << QStringLiteral(
                      "Weitere Sicherungskopien früherer Sitzungen wurden nicht geladen; sie liegen unter:\n%1")
                      .arg(report.setAside.join(u'\n'));
    notice << report.unloadable;
    if (report.unloadable.isEmpty())
        QMessageBox::information(parent, QStringLiteral("Vexlo-Ed"), notice.join(u'\n'));
    else
        QMessageBox::warning(parent, QStringLiteral("Vexlo-Ed"), notice.join(u'\n'));
}
