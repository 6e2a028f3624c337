#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

#include "storage/snapshottext.h"

class TPieceModel;

// Takes the text out of the text area a slice at a time from the event loop,
// so that no pass of the loop is held up for more than a few milliseconds.
// Changes made meanwhile are followed: the blocks they touch are taken again,
// so the result is the text exactly as it stands when the snapshot completes.
class TTextSnapshot : public QObject {
    Q_OBJECT
public:
    // The time one slice may take: a keystroke waits no longer.
    static constexpr qint64 SliceNanoseconds = 1'000'000;

    // Runs a handler of the event loop's, showing an error it raises where the
    // program shows errors (TApplication::Guard).
    using Guard = void (*)(const std::function<void()>& handler);

    // Without a guard an error reaches the event loop.
    explicit TTextSnapshot(const TPieceModel* pieces, Guard guard = nullptr, QObject* parent = nullptr);

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
    static SnapshotText TakeWhole(const TPieceModel* pieces);

private:
    void guarded(const std::function<void()>& handler) const;
    void begin();
    void restart();
    void changed(int position, int removed, int added);
    bool takeBlocks();
    void complete();
    void takeAgain();
    void forget(int number);  // a block taken that is to be taken again, or is gone

    const TPieceModel* m_pieces;
    Guard m_guard;
    QTimer m_slice;
    SnapshotText m_copy;    // blocks 0 to size() - 1 as far as taken
    qsizetype m_units = 0;  // the length of all blocks in m_copy
    int m_firstHole = 0;    // no block before it waits to be taken again
    int m_blockCount = 0;   // the document's, at the last change seen
    int m_restarts = 0;
    int m_sliceBlocks = 0;
    bool m_running = false;
};
