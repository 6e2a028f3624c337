#pragma once

#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

// The text of the text area at one moment, held as its blocks as they were
// taken out of the document, so that taking them never copies the text twice.
// The blocks' texts lie one after another in large pieces of memory of their
// own, mapped from the system and given back to it whole: letting go of a copy
// on another thread touches no lock or free list of the GUI thread's heap,
// and leaves it nothing to tidy up later.
class SnapshotText {
public:
    // Per block: a line's start, or a continuation of the line before it (no
    // line break between); while a snapshot is taken, not taken yet.
    enum Mark : unsigned char { NotTaken, LineStart, Continuation };
    // Where a block's text lies: the piece and the place in it.
    struct Span {
        int piece = -1;  // none: the empty text
        int start = 0;
        int length = 0;
    };

    SnapshotText();
    ~SnapshotText();
    SnapshotText(SnapshotText&& other) noexcept;
    SnapshotText& operator=(SnapshotText&& other) noexcept;

    // The whole text as one block, held as it is, not copied.
    static SnapshotText Whole(QString text);

    // Copies a block's text into the pieces; throws std::bad_alloc.
    Span store(QStringView text);
    QStringView view(const Span& span) const;
    // Units stored that no block refers to any more.
    qsizetype unusedUnits() const { return m_unused; }
    void forget(const Span& span) { m_unused += span.length; }

    std::vector<Span> blocks;
    std::vector<Mark> marks;

    bool isEmpty() const;
    // The text as TMemo::text() gives it, "\n" line breaks.
    QString joined() const;

private:
    struct Piece;
    std::vector<std::unique_ptr<Piece>> m_pieces;
    QString m_whole;  // a text held as it is, piece -2
    qsizetype m_unused = 0;
};
