#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <memory>
#include <vector>

#include "text/linesplit.h"

class QTextCursor;
class QTextDocument;

// The number of continuation blocks of a document, and a revision that moves
// whenever one comes or goes.
struct ContinuationTally {
    qsizetype count = 0;
    quint64 revision = 0;
};

// A document's text as the text area holds it: plain line breaks only, and a
// very long line held as several blocks (see linesplit.h). The first block of
// such a line keeps its place, each further one is marked as a continuation.
// The break before a continuation block is not part of the text: the count,
// text(), copying and saving leave it out, and editing steps over it.
//
// It lives as long as its document, its parent, and follows every change of
// it, undo and redo included. A document without a layout gets Qt's own.
class TPieceModel : public QObject {
    Q_OBJECT
public:
    explicit TPieceModel(QTextDocument* document);

    QTextDocument* document() const { return m_document; }

    // Whether the block continues the line of the block before it.
    static bool isContinuation(const QTextBlock& block);
    // Whether any line is held in pieces now.
    bool hasPieces() const { return m_continuations->count != 0; }

    // UTF-16 units, each line break counting two; constant time.
    qsizetype charCount() const;
    // The same for the text between two document positions.
    qsizetype countBetween(int fromPosition, int toPosition) const;
    // The text exactly as held, with "\n" line breaks.
    QString text() const;
    // The number of line breaks of the text between two document positions;
    // logarithmic time while no line is held in pieces.
    qsizetype lineBreaksBetween(int fromPosition, int toPosition) const;
    // The text between two document positions, "\n" line breaks.
    QString textBetween(int fromPosition, int toPosition) const;
    // The document position offset text units (piece breaks left out, a line
    // break one unit) from position, clamped to the document.
    int positionFrom(int position, qsizetype offset) const;
    // Whether the last line of the text is empty.
    bool lastLineEmpty() const;

    // The grapheme cluster boundary at position, or else the one before it
    // (forward: after it), within position's block. A block's edges (a piece
    // break too) count as boundaries.
    int clusterEdge(int position, bool forward) const;
    // Whether the cursor stands at a piece break, facing it in the given direction.
    static bool facesPieceBreak(const QTextCursor& cursor, bool forward);

    // A text as the document is to hold it: long lines cut into pieces (the
    // text stays null when none is), and the numbers of the continuation
    // blocks among its blocks.
    struct Pieced {
        QString text;
        QList<int> continuations;
    };
    Pieced cutLongLines(const QString& text);
    // Marks the continuation blocks once the document holds a pieced text,
    // outside undo.
    void markContinuationBlocks(const QList<int>& continuations);
    // Replaces the document's text, long lines in pieces, outside undo.
    void setText(const QString& text);

    // The length above which a line is held in pieces, LongLineLength unless
    // a measurement raises it.
    void setLongLineLength(qsizetype length) { m_longLine = length; }
    qsizetype longLineLength() const { return m_longLine; }
    // Whether the block is longer than a piece or a line may be.
    bool tooLong(const QTextBlock& block) const;
    // Cuts the blocks too long between two positions into pieces; true when
    // one was cut. Within the caller's edit block.
    bool splitLongBlocks(int fromPosition, int toPosition);
    // Cuts the block into pieces; returns the last of them.
    QTextBlock splitBlock(const QTextBlock& block);
    // Moves the piece breaks an edit between two positions left inside a
    // grapheme cluster; true when one moved.
    bool mendPieceBreaks(int fromPosition, int toPosition);

    // A block format with the continuation mark set or cleared.
    static QTextBlockFormat withMark(QTextBlockFormat format, bool continuation);

private:
    void markContinuations(int position, int removed, int added);
    // For each block number n, the continuation blocks among blocks 0 to n - 1.
    const std::vector<int>& continuationsBefore() const;

    QTextDocument* m_document;
    qsizetype m_longLine = LongLineLength;
    // Continuation blocks carry a mark object each, which counts itself here;
    // shared because the blocks may outlive this object.
    std::shared_ptr<ContinuationTally> m_continuations;
    // continuationsBefore() as of a tally revision and block count.
    struct ContinuationTable {
        std::vector<int> table;
        quint64 revision = ~quint64(0);
        int blocks = -1;
    };
    mutable ContinuationTable m_before;
    bool m_piecesUsed = false;
};
