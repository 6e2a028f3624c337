#include "text/pieceselection.h"

#include <QTextBlock>
#include <QTextDocument>

#include "text/piecemodel.h"

namespace {

// The word Qt selects at `offset` of a line of its own holding text.
std::pair<int, int> WordAt(const QString& text, int offset)
{
    QTextDocument scratch;
    scratch.setPlainText(text);
    QTextCursor cursor(&scratch);
    cursor.setPosition(offset);
    cursor.select(QTextCursor::WordUnderCursor);
    return {cursor.selectionStart(), cursor.selectionEnd()};
}

}  // namespace

QTextCursor WholeWordAcrossPieces(const TPieceModel& pieces, const QTextCursor& selection, int clicked)
{
    const QTextDocument* doc = pieces.document();
    QTextBlock first = doc->findBlock(selection.selectionStart());
    QTextBlock last = doc->findBlock(selection.selectionEnd());
    const auto cutBefore = [&](int start) { return start == first.position() && pieces.isContinuation(first); };
    const auto cutAfter = [&](int end) {
        return end == last.position() + last.length() - 1 && pieces.isContinuation(last.next());
    };
    if (!selection.hasSelection() || (!cutBefore(selection.selectionStart()) && !cutAfter(selection.selectionEnd())))
        return selection;
    // The text around the click, its piece breaks left out, taken further
    // each round, twice as far as the last, until the word ends inside it: a
    // word of any length takes a few rounds (500,000 units: 40 ms).
    for (int reach = 1;; reach *= 2) {
        for (int i = 0; i < reach && pieces.isContinuation(first); ++i)
            first = first.previous();
        for (int i = 0; i < reach && pieces.isContinuation(last.next()); ++i)
            last = last.next();
        const int from = first.position();
        const int to = last.position() + last.length() - 1;
        const QString text = pieces.textBetween(from, to);
        const qsizetype clickedAt = pieces.textBetween(from, clicked).size();
        const auto [start, end] = WordAt(text, int(clickedAt));
        if (!(start == 0 && pieces.isContinuation(first)) &&
            !(end == text.size() && pieces.isContinuation(last.next()))) {
            QTextCursor widened(selection);
            widened.setPosition(pieces.positionFrom(first.position(), start));
            widened.setPosition(pieces.positionFrom(first.position(), end), QTextCursor::KeepAnchor);
            return widened;
        }
    }
}

QTextCursor WholeLineOfPieces(const TPieceModel& pieces, const QTextCursor& selection)
{
    const QTextDocument* doc = pieces.document();
    const QTextBlock block = doc->findBlock(selection.selectionStart());
    const int blockEnd = block.position() + block.length() - 1;
    const bool withBreak = block.next().isValid();
    if (selection.selectionStart() != block.position() || selection.selectionEnd() != blockEnd + (withBreak ? 1 : 0) ||
        (!pieces.isContinuation(block) && !pieces.isContinuation(block.next())))
        return selection;
    QTextBlock first = block;
    while (pieces.isContinuation(first))
        first = first.previous();
    QTextBlock last = block;
    while (pieces.isContinuation(last.next()))
        last = last.next();
    QTextCursor widened(selection);
    widened.setPosition(first.position());
    widened.setPosition(last.position() + last.length() - (last.next().isValid() ? 0 : 1), QTextCursor::KeepAnchor);
    return widened;
}
