#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class QLockFile;
class QWidget;
class TMemo;

// The program's folder in the user's state folder: $XDG_STATE_HOME/vexloed,
// by default ~/.local/state/vexloed.
QString RecoveryFolder();

// A copy of the text being edited, kept in the state folder so that a crash, a
// kill or a power cut loses nothing. It is written a moment after the last
// change (a keystroke only restarts a timer), removed for an empty text and
// when the program ends normally, and kept when the desktop session ends. A
// copy found at start is what a run that did not end normally left behind.
//
// One running instance owns the folder. A second one neither restores nor
// writes, so it never takes the first one's live copy for a crash.
class TRecovery : public QObject {
    Q_OBJECT
public:
    // How long after the last change the copy is written, in milliseconds.
    static constexpr int SaveDelay = 1500;

    TRecovery(TMemo* memo, const QString& folder, QObject* parent = nullptr);
    ~TRecovery() override;

    // Whether this instance owns the folder and keeps the copy.
    bool isOwner() const { return m_owner; }
    QString copyPath() const;

    // Puts the text a run left behind into the text area; true when there was
    // one. The copy stays until the next normal end.
    bool Restore();
    // Writes the copy now, or removes it when the text is empty.
    void Save();
    // The desktop session is ending (logout, shutdown): the copy is brought up
    // to date and stays.
    void SessionEnding();
    // The program ends normally: the copy goes, unless the session is ending.
    void Finish();

private:
    void SaveWhenDue();

    TMemo* m_memo;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QTimer m_timer;
    bool m_owner = false;
    bool m_sessionEnding = false;
    bool m_failureShown = false;
    int m_folderError = 0;  // of making the folder: 0 or the system's error number
};

// Tells the user that the text of the last session was restored, and that
// the file named at start, if any, was left unopened for it.
void ShowRestoredNotice(QWidget* parent, const QString& unopenedFile = QString());
