#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <vector>

#include "storage/recoverysnapshot.h"
#include "storage/recoverywriter.h"

class QLockFile;
class QWidget;
class TMemo;

// The program's folder in the user's state folder: $XDG_STATE_HOME/vexloed,
// by default ~/.local/state/vexloed.
QString RecoveryFolder();

// What a start found of the copies earlier runs left behind.
struct RecoveryReport {
    bool restored = false;
    // Copies of other runs that were not put into the text, moved aside whole.
    QStringList setAside;
    // Copies that could not be loaded: why, and where each lies now.
    QStringList unloadable;

    bool isEmpty() const { return !restored && setAside.isEmpty() && unloadable.isEmpty(); }
};

// A copy of the text being edited, kept in the state folder so that a crash, a
// kill or a power cut loses nothing. It is written a moment after the last
// change, and at the latest a few seconds after the first unsaved one while
// changes keep coming; removed for an empty text and when the program ends
// normally, and kept when the desktop session ends. Taking the text out of the
// text area happens in slices between events, converting and writing it in a
// thread of its own, so the window never waits for the copy.
//
// Each running instance keeps a copy of its own; its lock decides the name
// (recovery.txt for the first, recovery-2.txt and so on beside it). A start
// restores the copies of every instance that is gone.
class TRecovery : public QObject {
    Q_OBJECT
public:
    // How long after the last change the copy is written, in milliseconds.
    static constexpr int SaveDelay = 1500;
    // How long after the first change not yet in the copy it is written at the latest.
    static constexpr int LongestDelay = 5000;
    // The number of instances that keep a copy at the same time.
    static constexpr int MaxInstances = 64;

    TRecovery(TMemo* memo, const QString& folder, QObject* parent = nullptr);
    ~TRecovery() override;

    // Whether this instance keeps a copy.
    bool isOwner() const { return m_owner; }
    QString copyPath() const;

    // Puts the newest text the instances that are gone left behind into the
    // text area; the others and those that cannot be loaded are moved aside
    // in the same folder, never overwritten. The copy stays until the next normal end.
    RecoveryReport Restore();
    // Writes the copy now and waits for it, or removes it when the text is empty.
    void Save();
    // The desktop session is ending (logout, shutdown): the copy is brought up
    // to date and stays.
    void SessionEnding();
    // The program ends normally: the copy goes, unless the session is ending.
    void Finish();

    // Shorter delays for tests, in milliseconds.
    void setDelaysForTesting(int pause, int longest);
    // Whether a copy is being taken or written.
    bool isBusy();

private:
    QString slotCopyPath(int slot) const;
    QString slotLockPath(int slot) const;
    void takeSlots();
    void changed();
    void copyWhenDue();
    void snapshotDone(SnapshotText text);
    void writtenInBackground(const QString& error);
    void report(const QString& error);
    void stopCopying();
    // Why the copy cannot be written at all (a file in the folder's place), or nothing.
    QString folderProblem() const;

    TMemo* m_memo;
    QString m_folder;
    int m_slot = 0;
    std::unique_ptr<QLockFile> m_lock;
    // Slots of instances that are gone and left a copy, held until Restore took it.
    std::vector<std::pair<int, std::unique_ptr<QLockFile>>> m_goneSlots;
    QTimer m_timer;
    QElapsedTimer m_unsavedSince;  // valid while a change is not in the copy
    int m_pause = SaveDelay;
    int m_longest = LongestDelay;
    bool m_owner = false;
    bool m_sessionEnding = false;
    bool m_failureShown = false;
    int m_folderError = 0;  // of making the folder: 0 or the system's error number
    TTextSnapshot m_snapshot;
    TRecoveryWriter m_writer;  // last: its thread ends first
};

// Tells the user what the start found: that the text of the last session was
// restored (and that the file named at start, if any, was left unopened for
// it), where other copies were put and why some could not be loaded.
void ShowRestoredNotice(QWidget* parent, const RecoveryReport& report, const QString& unopenedFile = QString());
