#include "text/piecemodel.h"

#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <optional>

#include "text/graphemes.h"

namespace {

// The block format property that marks a continuation block. Formats are kept
// by undo and redo, unlike a block's user data.
constexpr int ContinuationProperty = QTextFormat::UserProperty + 0x4c;

// Counts the continuation blocks: one lives on each, and goes with its block.
class ContinuationMark : public QTextBlockUserData {
public:
    explicit ContinuationMark(std::shared_ptr<ContinuationTally> tally) : m_tally(std::move(tally))
    {
        ++m_tally->count;
        ++m_tally->revision;
    }
    ~ContinuationMark() override
    {
        --m_tally->count;
        ++m_tally->revision;
    }

private:
    std::shared_ptr<ContinuationTally> m_tally;
};

}  // namespace

TPieceModel::TPieceModel(QTextDocument* document)
    : QObject(document), m_document(document), m_continuations(std::make_shared<ContinuationTally>())
{
    // Qt tells of changes only in a document that has a layout.
    m_document->documentLayout();
    connect(m_document, &QTextDocument::contentsChange, this, &TPieceModel::markContinuations);
}

QTextBlockFormat TPieceModel::withMark(QTextBlockFormat format, bool continuation)
{
    if (continuation)
        format.setProperty(ContinuationProperty, true);
    else
        format.clearProperty(ContinuationProperty);
    return format;
}

bool TPieceModel::isContinuation(const QTextBlock& block)
{
    return block.isValid() && block.blockFormat().boolProperty(ContinuationProperty);
}

// Gives each block of the changed range a mark object exactly when its format
// marks it, so that the count of marks follows undo and redo as well.
void TPieceModel::markContinuations(int position, int /*removed*/, int added)
{
    if (!m_piecesUsed)
        return;
    const QTextBlock last = m_document->findBlock(position + added).next();
    for (QTextBlock block = m_document->findBlock(position); block.isValid(); block = block.next()) {
        const bool marked = block.userData() != nullptr;
        if (isContinuation(block) && !marked)
            block.setUserData(new ContinuationMark(m_continuations));
        else if (!isContinuation(block) && marked)
            block.setUserData(nullptr);
        if (block == last)
            break;
    }
}

qsizetype TPieceModel::charCount() const
{
    // characterCount includes one separator per block, the last one included;
    // the break before a continuation block is none of the text's.
    return (m_document->characterCount() - 1) + (m_document->blockCount() - 1) - 2 * m_continuations->count;
}

qsizetype TPieceModel::lineBreaksBetween(int fromPosition, int toPosition) const
{
    const QTextDocument* doc = m_document;
    const int first = doc->findBlock(std::clamp(fromPosition, 0, doc->characterCount() - 1)).blockNumber();
    const int last = doc->findBlock(std::clamp(toPosition, 0, doc->characterCount() - 1)).blockNumber();
    const qsizetype breaks = last - first;
    if (m_continuations->count == 0 || breaks <= 0)
        return std::max<qsizetype>(breaks, 0);
    // The separators before the blocks first + 1 to last, less those before a continuation.
    const std::vector<int>& before = continuationsBefore();
    return breaks - (before[size_t(last) + 1] - before[size_t(first) + 1]);
}

// Typing within a piece neither adds nor removes a block or a mark, so the
// table is made again only when the pieces change, not at every keystroke.
const std::vector<int>& TPieceModel::continuationsBefore() const
{
    const QTextDocument* doc = m_document;
    if (m_before.revision == m_continuations->revision && m_before.blocks == doc->blockCount())
        return m_before.table;
    m_before.table.assign(size_t(doc->blockCount()) + 1, 0);
    int seen = 0;
    size_t index = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (isContinuation(block))
            ++seen;
        m_before.table[++index] = seen;
    }
    m_before.revision = m_continuations->revision;
    m_before.blocks = doc->blockCount();
    return m_before.table;
}

qsizetype TPieceModel::countBetween(int fromPosition, int toPosition) const
{
    if (fromPosition >= toPosition)
        return 0;
    // Positions count each block separator once; a line break counts two.
    const QTextDocument* doc = m_document;
    const qsizetype separators = doc->findBlock(toPosition).blockNumber() - doc->findBlock(fromPosition).blockNumber();
    const qsizetype breaks = lineBreaksBetween(fromPosition, toPosition);
    return (toPosition - fromPosition) - separators + 2 * breaks;
}

QString TPieceModel::textBetween(int fromPosition, int toPosition) const
{
    QString result;
    result.reserve(toPosition - fromPosition);
    for (QTextBlock block = m_document->findBlock(fromPosition); block.isValid() && block.position() <= toPosition;
         block = block.next()) {
        if (block.position() > fromPosition && !isContinuation(block))
            result.append(u'\n');
        const int start = std::max(fromPosition, block.position()) - block.position();
        const int end = std::min(toPosition, block.position() + block.length() - 1) - block.position();
        if (end > start)
            result.append(QStringView(block.text()).mid(start, end - start));
    }
    return result;
}

QString TPieceModel::text() const
{
    if (m_continuations->count != 0)
        return textBetween(0, m_document->characterCount() - 1);
    QString raw = m_document->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw;
}

int TPieceModel::positionFrom(int position, qsizetype offset) const
{
    QTextBlock block = m_document->findBlock(position);
    while (offset > 0) {
        const int room = block.position() + block.length() - 1 - position;
        if (offset <= room)
            return position + int(offset);
        offset -= room;
        const QTextBlock next = block.next();
        if (!next.isValid())
            return position + room;
        if (!isContinuation(next))
            --offset;
        block = next;
        position = block.position();
    }
    while (offset < 0) {
        const int room = position - block.position();
        if (-offset <= room)
            return position + int(offset);
        offset += room;
        const QTextBlock previous = block.previous();
        if (!previous.isValid())
            return block.position();
        if (!isContinuation(block))
            ++offset;
        block = previous;
        position = block.position() + block.length() - 1;
    }
    return position;
}

bool TPieceModel::lastLineEmpty() const
{
    // Pieces emptied by editing may trail the last line.
    for (QTextBlock block = m_document->lastBlock(); block.isValid(); block = block.previous()) {
        if (block.length() > 1)
            return false;
        if (!isContinuation(block))
            return true;
    }
    return true;
}

int TPieceModel::clusterEdge(int position, bool forward) const
{
    const QTextBlock block = m_document->findBlock(position);
    const QString text = block.text();
    const qsizetype offset = position - block.position();
    if (offset <= 0 || offset >= text.size())
        return position;
    // Below U+0300 nothing joins: most text never reaches the iterator.
    if (text[offset - 1].unicode() < 0x300 && text[offset].unicode() < 0x300)
        return position;
    // The piece before holds the start of a cluster the piece break may cut.
    const QString context = isContinuation(block) ? block.previous().text() : QString();
    const QString whole = context + text;
    TGraphemes graphemes(whole);
    const qsizetype at = context.size() + offset;
    if (graphemes.isBoundary(at))
        return position;
    const qsizetype edge = forward ? graphemes.next(at) : graphemes.previous(at);
    return block.position() + int(std::clamp<qsizetype>(edge - context.size(), 0, text.size()));
}

bool TPieceModel::facesPieceBreak(const QTextCursor& cursor, bool forward)
{
    return forward ? cursor.atBlockEnd() && isContinuation(cursor.block().next())
                   : cursor.atBlockStart() && isContinuation(cursor.block());
}

// Long lines get their pieces while the text is built: one pass over the
// text, then the marks.
TPieceModel::Pieced TPieceModel::cutLongLines(const QString& text)
{
    Pieced pieced;
    QString& built = pieced.text;
    int blockNumber = 0;
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        if (lineEnd - lineStart > m_longLine) {
            if (built.isNull()) {
                built.reserve(text.size() + text.size() / PieceLength + 1);
                built.append(QStringView(text).left(lineStart));
            }
            const QStringView line = QStringView(text).mid(lineStart, lineEnd - lineStart);
            qsizetype from = 0;
            for (const qsizetype cut : PieceCuts(line)) {
                built.append(line.mid(from, cut - from));
                built.append(u'\n');
                pieced.continuations.append(++blockNumber);
                from = cut;
            }
            built.append(line.mid(from));
            if (lineEnd < text.size())
                built.append(u'\n');
        } else if (!built.isNull()) {
            built.append(QStringView(text).mid(lineStart, lineEnd - lineStart + (lineEnd < text.size() ? 1 : 0)));
        }
        ++blockNumber;
        lineStart = lineEnd + 1;
    }
    // From now on the marks are followed through every change.
    if (!pieced.continuations.isEmpty())
        m_piecesUsed = true;
    return pieced;
}

void TPieceModel::markContinuationBlocks(const QList<int>& continuations)
{
    if (continuations.isEmpty())
        return;
    m_document->setUndoRedoEnabled(false);
    QTextCursor cursor(m_document);
    cursor.beginEditBlock();
    QTextBlock block = m_document->firstBlock();
    int number = 0;
    for (const int continuation : continuations) {
        for (; number < continuation; ++number)
            block = block.next();
        cursor.setPosition(block.position());
        cursor.setBlockFormat(withMark(block.blockFormat(), true));
    }
    cursor.endEditBlock();
    m_document->setUndoRedoEnabled(true);
}

void TPieceModel::setText(const QString& text)
{
    const Pieced pieced = cutLongLines(text);
    m_document->setPlainText(pieced.continuations.isEmpty() ? text : pieced.text);
    markContinuationBlocks(pieced.continuations);
}

bool TPieceModel::tooLong(const QTextBlock& block) const
{
    const bool piece = isContinuation(block) || isContinuation(block.next());
    return block.length() - 1 > (piece ? 2 * PieceLength : m_longLine);
}

bool TPieceModel::splitLongBlocks(int fromPosition, int toPosition)
{
    bool split = false;
    for (QTextBlock block = m_document->findBlock(fromPosition); block.isValid(); block = block.next()) {
        if (tooLong(block)) {
            split = true;
            const int before = block.blockNumber();
            block = splitBlock(block);
            toPosition += block.blockNumber() - before;  // one separator per cut
        }
        if (block.position() + block.length() > toPosition)
            break;
    }
    return split;
}

QTextBlock TPieceModel::splitBlock(const QTextBlock& block)
{
    m_piecesUsed = true;
    const QList<qsizetype> cuts = PieceCuts(block.text());
    const QTextBlockFormat mark = withMark(block.blockFormat(), true);
    const int start = block.position();
    QTextCursor cursor(m_document);
    // From the end, so that the earlier cut positions stay valid.
    for (auto cut = cuts.crbegin(); cut != cuts.crend(); ++cut) {
        cursor.setPosition(start + int(*cut));
        cursor.insertBlock(mark);
    }
    return m_document->findBlock(start + int(cuts.last()) + int(cuts.size()));
}

// A piece break never parts a grapheme cluster: where an edit made one
// straddle a break, the cluster's start moves over into the later piece. An
// edit early in a run of flags pairs them anew up to the run's end, so the
// breaks after the edit are looked at for as long as they needed mending.
bool TPieceModel::mendPieceBreaks(int fromPosition, int toPosition)
{
    bool mended = false;
    if (m_continuations->count == 0)
        return mended;
    constexpr int Reach = PieceLength + 2;  // of the later piece: enough to tell a cluster longer than a piece
    std::optional<TGraphemes> graphemes;
    // Follows the changes made here; the break right after it counts too.
    QTextCursor end(m_document);
    end.setPosition(toPosition);
    bool goOn = false;
    // The break after the last block edited too: the pairs of flags before it may have changed.
    for (QTextBlock block = m_document->findBlock(fromPosition);
         block.isValid() && (goOn || block.blockNumber() <= end.block().blockNumber() + 1); block = block.next()) {
        goOn = false;
        if (!isContinuation(block) || block.length() <= 1 || block.previous().length() <= 1)
            continue;
        const QTextBlock previous = block.previous();
        const QString before = previous.text();
        const QString head = block.text().left(Reach);
        if (before.back().unicode() < 0x300 && head.front().unicode() < 0x300)
            continue;  // nothing joins there
        const QString around = before + head;
        if (!graphemes)
            graphemes.emplace();
        graphemes->setText(around);
        if (graphemes->isBoundary(before.size()))
            continue;
        const qsizetype start = graphemes->previous(before.size());
        // A cluster longer than a piece may be cut between two of its code points.
        const bool longer = graphemes->next(before.size()) - start > PieceLength;
        if (longer && !InsidePair(around, before.size()))
            continue;
        const int cut = longer ? block.position() - 2 : start > 0 ? previous.position() + int(start) : -1;
        QTextCursor mover(block);
        if (cut >= 0) {
            // The break moves, not the text, so that a caret keeps its place in the text.
            const QTextBlockFormat mark = block.blockFormat();
            mover.deletePreviousChar();
            mover.setPosition(cut);
            mover.insertBlock(mark);
            block = mover.block();
        } else {
            // The cluster fills the earlier piece: the two become one, cut anew if too long.
            mover.deletePreviousChar();
            block = mover.block();
            if (tooLong(block))
                block = splitBlock(block);
        }
        mended = true;
        goOn = true;
    }
    return mended;
}
