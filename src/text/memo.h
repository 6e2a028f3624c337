#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <functional>
#include <memory>
#include <vector>

#include "text/linesplit.h"

class QMimeData;

// The number of continuation blocks of a text area, and a revision that moves
// whenever one comes or goes.
struct ContinuationTally {
    qsizetype count = 0;
    quint64 revision = 0;
};

// The multi-line text area. Its text holds plain line breaks only, so the
// count of characters (each line break counting two) follows from the
// document's size and block count without ever rescanning the text.
//
// A very long line is held as several blocks (see linesplit.h): the first
// keeps its place, each further one is marked as a continuation. The break
// before a continuation block is not part of the text: the count, text(),
// copying and saving leave it out, and editing keys step over it.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    // How far a word move or deletion looks for the word's end: a run
    // without one is crossed this much at a time (less the last unit), so
    // that a line of any length costs about what an ordinary one does.
    static constexpr int WordReach = 256;

    explicit TMemo(QWidget* parent = nullptr);

    // UTF-16 units, each line break counting two; constant time.
    qsizetype charCount() const;

    // The text exactly as held, with "\n" line breaks.
    QString text() const;
    // Throws "Text überschreitet Memo-Kapazität" for a text above the capacity.
    void setText(const QString& text);

    // Appends text ("\n" line breaks) as a new last line, ending in a line break.
    void appendAsLastLine(const QString& text);
    // Empties the text as one step that undo takes back whole (clear() would
    // forget the undo history).
    void removeAllText();

    // Whether the block continues the line of the block before it.
    bool isContinuation(const QTextBlock& block) const;
    // The number of line breaks of the text between two document positions;
    // logarithmic time while no line is held in pieces.
    qsizetype lineBreaksBetween(int fromPosition, int toPosition) const;
    // The text between two document positions, "\n" line breaks.
    QString textBetween(int fromPosition, int toPosition) const;
    // The document position offset text units (piece breaks left out, a line
    // break one unit) from position, clamped to the document.
    int positionFrom(int position, qsizetype offset) const;

    // The font the user chose, by the name chosen (what the settings keep);
    // the area draws it in the installed family that stands for the name.
    void setTextFont(const QFont& font);
    QFont textFont() const { return m_textFont; }

    // The capacity in counted characters, MemoCapacity unless a test lowers it.
    void setCapacityForTesting(qsizetype capacity) { m_capacity = capacity; }
    // Throws "Text überschreitet Memo-Kapazität" when replacing the text
    // between two document positions by added counted characters would pass
    // the capacity: every edit, also one made from outside, asks first.
    void checkCapacity(int fromPosition, int toPosition, qsizetype added) const;
    // The length above which a line is held in pieces, LongLineLength unless
    // a measurement raises it.
    void setLongLineLengthForTesting(qsizetype length) { m_longLine = length; }

    // The area's menu: Qt's standard entries, cut and delete as the keys do,
    // and what the receivers of contextMenuOpening add. The caller owns it.
    QMenu* createContextMenu(const QPoint& position);

    // Room inside the area's box beside the text, for strips drawn there.
    using QPlainTextEdit::setViewportMargins;
    // What the area's paint walks, for what is painted beside its text.
    using QPlainTextEdit::blockBoundingRect;
    using QPlainTextEdit::contentOffset;
    using QPlainTextEdit::firstVisibleBlock;

signals:
    // The menu holds the standard entries; each receiver adds its own at its
    // own place (the top or the end), whatever the order of connection.
    void contextMenuOpening(QMenu* menu);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    class LineStartKeeper;
    void keyPress(QKeyEvent* event);
    void pasteMimeData(const QMimeData* source);
    void dropText(QDropEvent* event);
    void commitInput(QInputMethodEvent* event);
    qsizetype countBetween(int fromPosition, int toPosition) const;
    void insertLines(QTextCursor& cursor, const QString& text);
    bool tooLong(const QTextBlock& block) const;
    bool splitLongBlocks(int fromPosition, int toPosition);
    void endAtCaret(QTextCursor& cursor, const QString& text);
    void splitCaretLine();
    QTextBlock splitBlock(const QTextBlock& block);
    bool lastLineEmpty() const;
    bool deleteAcrossPieces(QKeyEvent* event);
    bool deleteWord(QKeyEvent* event);
    void removeClusters(int from, int to);
    int wordTarget(int position, bool forward) const;
    void replaceSelection(QTextCursor& cursor, const QString& text);
    void cutSelection();
    void typeText(const QString& typed);
    void widenSelection(const QTextCursor& widened);
    bool mendPieceBreaks(int fromPosition, int toPosition);
    bool moveAcrossPieces(QKeyEvent* event);
    bool stepOverCluster(QKeyEvent* event);
    void selectionToPrimary();
    bool facesPieceBreak(const QTextCursor& cursor, bool forward) const;
    void markContinuations(int position, int removed, int added);
    const std::vector<int>& continuationsBefore() const;

    qsizetype m_capacity;
    QFont m_textFont;
    qsizetype m_longLine = LongLineLength;
    // Continuation blocks carry a mark object each, which counts itself here;
    // shared because the document outlives this object's members.
    std::shared_ptr<ContinuationTally> m_continuations;
    // For each block number n, the continuation blocks among blocks 0 to n - 1,
    // as of a tally revision and block count.
    struct ContinuationTable {
        std::vector<int> table;
        quint64 revision = ~quint64(0);
        int blocks = -1;
    };
    mutable ContinuationTable m_before;
    bool m_piecesUsed = false;
    // Where the last typed text ended, and the document's revision then.
    struct Typing {
        int revision = -1;
        int position = -1;
    };
    Typing m_typing;
    // Since the last double click, for the triple click that may follow.
    QElapsedTimer m_doubleClicked;
};

// Line ends CR LF, lone CR and the Unicode line and paragraph separators
// become "\n", the one line break the text area holds.
QString NormalizeLineBreaks(const QString& text);

// Text as the text area takes it in from any source (keys, input methods,
// pastes, drops): line breaks normalized, NUL characters left out.
QString InsertableText(const QString& text);

// Whether data holds plain text (not merely a list of files or links).
bool HasPlainText(const QMimeData* data);
