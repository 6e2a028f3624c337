#pragma once

#include <QString>
#include <QTextCursor>

class QKeyEvent;
class TPieceModel;

// Editing a text held in pieces (see piecemodel.h) as the same text held
// whole: what the text area's keys and insertions do to its document. The
// text area groups the steps for undo and moves its caret as told.

// How far a word move or deletion looks for the word's end: a run without one
// is crossed this much at a time (less the last unit), so that a line of any
// length costs about what an ordinary one does.
constexpr int WordReach = 256;

// Qt removes a selection that begins at a block's start together with that
// block, and the merged block keeps the format of the block the selection
// ends in. The line start stays what it was: a continuation or not.
class TLineStartKeeper {
public:
    explicit TLineStartKeeper(const QTextCursor& cursor);
    // After the removal: the line start as it was, in the same undo step.
    void restore();

private:
    QTextCursor m_start;
    bool m_active = false;
    bool m_continuation = false;
};

// Inserts text ("\n" line breaks) in place of the cursor's selection, within
// the caller's edit block, and cuts lines that grow too long into pieces.
void InsertLines(TPieceModel& pieces, QTextCursor& cursor, const QString& text);

// Removes the clusters between two positions of one block, as Backspace and
// Delete do. Without pieces, keys that follow each other merge into one undo
// step as Qt's own do; in a line held in pieces the piece breaks the removal
// moved into a cluster are mended in the same step. True when the caret stood
// at the removal's end: it is then where the removal was.
bool RemoveClusters(TPieceModel& pieces, QTextCursor& caret, int from, int to);

// Where a word move from position lands, as in the whole line.
int WordTarget(const TPieceModel& pieces, int position, bool forward);

// Where Left (forward: Right) moves the caret inside a line: over one whole
// cluster; -1 where Qt's own step is taken (at a line's or a piece's edge, or
// in text written right to left, whose steps are visual).
int ClusterStep(const TPieceModel& pieces, const QTextCursor& caret, bool forward);

// What a key did: whether it was taken, and where the caret goes.
struct TKeyEdit {
    bool taken = false;
    bool moveCaret = false;      // the caret becomes `caret`
    bool ensureVisible = false;  // then the view follows the caret
    QTextCursor caret;
};

// Backspace and Delete (with Shift too, as Qt's own editing reads them):
// remove the selection, or a whole cluster, stepping over piece breaks; a
// line break that joins two lines too long for one block is removed together
// with the cut into pieces, as one undo step.
TKeyEdit DeleteAcrossPieces(TPieceModel& pieces, const QKeyEvent* event, const QTextCursor& caret);
// Ctrl+Backspace and Ctrl+Delete remove the words the word moves pass.
TKeyEdit DeleteWord(TPieceModel& pieces, const QKeyEvent* event, const QTextCursor& caret);
// Replaces the cursor's selection by text as one undo step; the caret goes there.
TKeyEdit ReplaceSelection(TPieceModel& pieces, QTextCursor cursor, const QString& text);
