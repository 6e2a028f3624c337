#include "text/pieceediting.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

#include "text/piecemodel.h"

namespace {

// Redo puts the caret after the last change of a step, undo before its first.
// Where pieces were cut after the insertion, the step ends with the last
// character inserted (or a removal) once more, so the caret lands as it would
// in the whole line.
void EndAtCaret(QTextCursor& cursor, const QString& text)
{
    QTextCursor last = cursor;
    if (TPieceModel::facesPieceBreak(last, false)) {
        last.movePosition(QTextCursor::PreviousBlock);
        last.movePosition(QTextCursor::EndOfBlock);
    }
    if (text.isEmpty()) {
        last.insertText(QStringLiteral(" "));
        last.deletePreviousChar();
    } else if (text.endsWith(u'\n')) {
        const QTextBlockFormat format = last.blockFormat();
        last.deletePreviousChar();
        last.insertBlock(format);
    } else {
        last.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
        const QString character = last.selectedText();
        last.removeSelectedText();
        last.insertText(character);
    }
}

// The caret's edit as a key's outcome.
TKeyEdit MovedTo(const QTextCursor& caret, bool ensureVisible)
{
    return {true, true, ensureVisible, caret};
}

}  // namespace

TLineStartKeeper::TLineStartKeeper(const QTextCursor& cursor)
{
    if (!cursor.hasSelection())
        return;  // the common case, kept cheap
    const QTextBlock block = cursor.document()->findBlock(cursor.selectionStart());
    m_active =
        block.position() == cursor.selectionStart() && cursor.selectionEnd() >= block.position() + block.length();
    m_continuation = TPieceModel::isContinuation(block);
    // Follows text inserted before it, not text inserted at it.
    m_start = QTextCursor(block);
    m_start.setKeepPositionOnInsert(true);
}

void TLineStartKeeper::restore()
{
    if (!m_active)
        return;
    m_active = false;
    const QTextBlock block = m_start.block();
    if (block.position() != m_start.position() || TPieceModel::isContinuation(block) == m_continuation)
        return;
    m_start.joinPreviousEditBlock();
    m_start.setBlockFormat(TPieceModel::withMark(block.blockFormat(), m_continuation));
    m_start.endEditBlock();
}

void InsertLines(TPieceModel& pieces, QTextCursor& cursor, const QString& text)
{
    TLineStartKeeper keeper(cursor);
    cursor.removeSelectedText();
    keeper.restore();
    const qsizetype lineBreak = text.indexOf(u'\n');
    if (lineBreak >= 0 && TPieceModel::facesPieceBreak(cursor, true))
        cursor.movePosition(QTextCursor::NextBlock);
    int from = cursor.position();
    if (lineBreak >= 0 && TPieceModel::facesPieceBreak(cursor, false)) {
        // The piece break becomes the line break: no empty piece is left.
        QTextCursor before(cursor.block().previous());
        before.movePosition(QTextCursor::EndOfBlock);
        before.insertText(text.left(lineBreak));
        from = before.position() - int(lineBreak);
        cursor.setBlockFormat(TPieceModel::withMark(cursor.blockFormat(), false));
        cursor.insertText(text.mid(lineBreak + 1));
    } else if (lineBreak >= 0 && TPieceModel::isContinuation(cursor.block())) {
        // New blocks take the cursor's block format; after a line break of
        // the text a block is no continuation.
        cursor.insertText(text.left(lineBreak));
        cursor.insertBlock(TPieceModel::withMark(cursor.blockFormat(), false));
        cursor.insertText(text.mid(lineBreak + 1));
    } else {
        cursor.insertText(text);
    }
    const bool split = pieces.splitLongBlocks(from, cursor.position());
    if (pieces.mendPieceBreaks(from, cursor.position()) || split)
        EndAtCaret(cursor, text);
}

bool RemoveClusters(TPieceModel& pieces, QTextCursor& caret, int from, int to)
{
    QTextCursor remover = caret;
    const bool caretAtEnd = remover.position() == to;
    remover.setPosition(from);
    remover.setPosition(to, QTextCursor::KeepAnchor);
    if (!pieces.hasPieces()) {
        remover.removeSelectedText();
    } else {
        remover.beginEditBlock();
        remover.removeSelectedText();
        // No piece is left empty: its break goes with it.
        const QTextBlock block = remover.block();
        if (block.length() == 1 && TPieceModel::isContinuation(block)) {
            remover.deletePreviousChar();
        } else if (block.length() == 1 && TPieceModel::isContinuation(block.next())) {
            // Qt keeps the format of the later block, a continuation: the
            // line start would go, and the line break before it with it.
            remover.deleteChar();
            remover.setBlockFormat(TPieceModel::withMark(remover.blockFormat(), false));
        }
        pieces.mendPieceBreaks(remover.position(), remover.position());
        remover.endEditBlock();
    }
    if (caretAtEnd)
        caret = remover;
    return caretAtEnd;
}

// Qt's own word rule applied to the line's text without its piece breaks,
// read in growing chunks up to WordReach.
int WordTarget(const TPieceModel& pieces, int position, bool forward)
{
    const QTextDocument* doc = pieces.document();
    const auto continues = [](const QTextBlock& block) { return TPieceModel::isContinuation(block); };
    // The pieces of the line as far as the move may reach, not to its end:
    // a line of any length costs what an ordinary one does.
    QTextBlock edge = doc->findBlock(position);
    // (Twice the reach: the piece breaks within it count here.)
    const int far = forward ? position + 2 * WordReach : position - 2 * WordReach;
    while (forward ? continues(edge.next()) && edge.position() + edge.length() - 1 < far
                   : continues(edge) && edge.position() > far)
        edge = forward ? edge.next() : edge.previous();
    const int limit = forward ? edge.position() + edge.length() - 1 : edge.position();
    const bool lineEdge = !(forward ? continues(edge.next()) : continues(edge));
    if (position == limit && lineEdge)  // over the line break
        return std::clamp(position + (forward ? 1 : -1), 0, doc->characterCount() - 1);
    for (int reach = 256;; reach *= 2) {
        // reach units of the text, piece breaks not counted: as far in a line
        // held whole as in pieces.
        const int from = forward ? position : std::max(limit, pieces.positionFrom(position, -reach));
        const int to = forward ? std::min(limit, pieces.positionFrom(position, reach)) : position;
        const QString text = pieces.textBetween(from, to);
        QTextLayout layout(text);
        const int at = forward ? layout.nextCursorPosition(0, QTextLayout::SkipWords)
                               : layout.previousCursorPosition(int(text.size()), QTextLayout::SkipWords);
        // A stop inside the chunk is final; one at its cut edge may go on.
        if (forward ? at < text.size() || (to == limit && lineEdge) : at > 0 || (from == limit && lineEdge))
            return pieces.clusterEdge(pieces.positionFrom(from, at), forward);
        // A run without a word's end this long is no word: the move stops
        // after it, on a character's edge, as it would in an ordinary line.
        if (reach >= WordReach) {
            int stop = forward ? int(text.size()) - 1 : 1;
            while (stop > 0 && stop < text.size() && !layout.isValidCursorPosition(stop))
                stop += forward ? -1 : 1;
            return pieces.clusterEdge(pieces.positionFrom(from, stop), forward);
        }
    }
}

int ClusterStep(const TPieceModel& pieces, const QTextCursor& caret, bool forward)
{
    const QTextBlock block = caret.block();
    const int offset = caret.positionInBlock();
    if (forward ? offset >= block.length() - 1 : offset <= 0)
        return -1;
    const QString text = block.text();
    if (std::any_of(text.begin(), text.end(),
                    [](QChar c) { return c.direction() == QChar::DirR || c.direction() == QChar::DirAL; }))
        return -1;
    const int position = caret.position();
    return forward ? pieces.clusterEdge(position + 1, true) : pieces.clusterEdge(position - 1, false);
}

TKeyEdit ReplaceSelection(TPieceModel& pieces, QTextCursor cursor, const QString& text)
{
    cursor.beginEditBlock();
    InsertLines(pieces, cursor, text);
    cursor.endEditBlock();
    return MovedTo(cursor, true);
}

// Backspace at the start of a continuation block and Delete before one
// remove the neighbouring character of the text, not the piece break.
TKeyEdit DeleteAcrossPieces(TPieceModel& pieces, const QKeyEvent* event, const QTextCursor& caret)
{
    // The keys as Qt's own editing reads them: Shift+Backspace deletes, Shift+Delete cuts.
    const bool backspace = event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier);
    const bool forward = event->matches(QKeySequence::Delete);
    if (!backspace && !forward)
        return {};
    if (caret.hasSelection())
        return ReplaceSelection(pieces, caret, QString());
    TKeyEdit done{true, false, false, caret};
    QTextCursor cursor = caret;
    const QTextBlock block = cursor.block();
    const auto continues = [](const QTextBlock& b) { return TPieceModel::isContinuation(b); };
    if (backspace && TPieceModel::facesPieceBreak(cursor, false)) {
        QTextBlock before = block.previous();
        while (before.length() == 1 && continues(before))
            before = before.previous();
        if (before.length() > 1) {
            const int end = before.position() + before.length() - 1;
            done.moveCaret = RemoveClusters(pieces, done.caret, pieces.clusterEdge(end - 1, false), end);
            return done;
        }
        if (before.blockNumber() == 0)
            return done;
        cursor.setPosition(before.position());  // the line break before an empty line
        cursor.deletePreviousChar();
        return MovedTo(cursor, false);
    }
    if (forward && TPieceModel::facesPieceBreak(cursor, true)) {
        QTextBlock after = block.next();
        while (after.length() == 1 && continues(after))
            after = after.next();
        if (!after.isValid())
            return done;
        // A continuation's first character, else the line break before the block.
        if (continues(after)) {
            done.moveCaret =
                RemoveClusters(pieces, done.caret, after.position(), pieces.clusterEdge(after.position() + 1, true));
        } else {
            QTextCursor remover(pieces.document());
            remover.setPosition(after.position() - 1);
            remover.deleteChar();
        }
        return done;
    }
    // Within a block a key removes a whole cluster: never half a pair or half a flag.
    const int offset = cursor.positionInBlock();
    if (backspace ? offset > 0 : offset < block.length() - 1) {
        const int position = cursor.position();
        if (backspace)
            done.moveCaret = RemoveClusters(pieces, done.caret, pieces.clusterEdge(position - 1, false), position);
        else
            done.moveCaret = RemoveClusters(pieces, done.caret, position, pieces.clusterEdge(position + 1, true));
        done.ensureVisible = true;
        return done;
    }
    // Removing a line break that joins two lines too long for one block: the
    // deletion and the cut into pieces are one undo step.
    const bool joins =
        backspace ? cursor.atBlockStart() && block.blockNumber() > 0 : cursor.atBlockEnd() && block.next().isValid();
    const QTextBlock first = backspace ? block.previous() : block;
    const QTextBlock second = first.next();
    const bool piece = continues(first) || continues(second.next());
    if (!joins || first.length() + second.length() - 2 <= (piece ? 2 * PieceLength : pieces.longLineLength()))
        return {};
    cursor.beginEditBlock();
    if (backspace)
        cursor.deletePreviousChar();
    else
        cursor.deleteChar();
    if (pieces.splitLongBlocks(cursor.position(), cursor.position()))
        EndAtCaret(cursor, QString());
    cursor.endEditBlock();
    return MovedTo(cursor, false);
}

TKeyEdit DeleteWord(TPieceModel& pieces, const QKeyEvent* event, const QTextCursor& caret)
{
    const bool forward = event->matches(QKeySequence::DeleteEndOfWord);
    if (!forward && !event->matches(QKeySequence::DeleteStartOfWord))
        return {};
    QTextCursor cursor = caret;
    if (!cursor.hasSelection())
        cursor.setPosition(WordTarget(pieces, cursor.position(), forward), QTextCursor::KeepAnchor);
    return ReplaceSelection(pieces, cursor, QString());
}
