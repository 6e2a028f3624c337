#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

class TMemo;

// The text of the text area at one moment, held as its blocks as they were
// taken out of the document, so that taking them never copies the text twice.
struct SnapshotText {
    // Per block: a line's start, or a continuation of the line before it (no
    // line break between); while a snapshot is taken, not taken yet.
    enum Mark : unsigned char { NotTaken, LineStart, Continuation };
    QList<QString> blocks;
    std::vector<Mark> marks;

    bool isEmpty() const;
    // The text as TMemo::text() gives it, "\n" line breaks.
    QString joined() const;
};

// Takes the text out of the text area a slice at a time from the event loop,
// so that no pass of the loop is held up for more than a few milliseconds.
// Changes made meanwhile are followed: the blocks they touch are taken again,
// so the result is the text exactly as it stands when the snapshot completes.
class TTextSnapshot : public QObject {
    Q_OBJECT
public:
    // The time one slice may take: a keystroke waits no longer.
    static constexpr qint64 SliceNanoseconds = 1'000'000;

    explicit TTextSnapshot(TMemo* memo, QObject* parent = nullptr);

    // Called on the GUI thread once a snapshot is complete.
    std::function<void(SnapshotText)> onDone;

    // Begins a snapshot (again, should one be running); the slices follow from the event loop.
    void start();
    void cancel();
    bool isRunning() const { return m_running; }
    // Takes one slice now; true when that completed the snapshot.
    bool step();
    // At most this many blocks per slice instead of the time limit.
    void setSliceBlocksForTesting(int blocks) { m_sliceBlocks = blocks; }

    // The whole text at once, for when there is no time to lose (the session ends).
    static SnapshotText TakeWhole(const TMemo* memo);

private:
    void begin();
    void restart();
    void changed(int position, int removed, int added);
    bool takeBlocks();
    void complete();

    TMemo* m_memo;
    QTimer m_slice;
    QList<QString> m_texts;                   // blocks 0 to size() - 1 as far as taken
    std::vector<SnapshotText::Mark> m_taken;  // per block in m_texts
    qsizetype m_units = 0;                    // the length of all texts in m_texts
    int m_firstHole = 0;                      // no block before it waits to be taken again
    int m_blockCount = 0;                     // the document's, at the last change seen
    int m_restarts = 0;
    int m_sliceBlocks = 0;
    bool m_running = false;
};
