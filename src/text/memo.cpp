#include "text/memo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <optional>

#include "framework/Application.h"
#include "framework/VexloError.h"
#include "storage/textfile.h"
#include "text/caretshaping.h"
#include "text/clustercaret.h"
#include "text/graphemes.h"
#include "text/linesplit.h"
#include "text/pieceselection.h"
#include "text/rangepainter.h"
#include "text/textarealayout.h"

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

QTextBlockFormat WithMark(QTextBlockFormat format, bool continuation)
{
    if (continuation)
        format.setProperty(ContinuationProperty, true);
    else
        format.clearProperty(ContinuationProperty);
    return format;
}

// The text a key puts in, as Qt's own text editing takes it: format
// characters, private use and surrogate pairs too, a Ctrl chord not.
QString TypedText(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return QString();
    const QChar c = text.at(0);
    if (c.category() == QChar::Other_Format)
        return text;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier || mods == (Qt::ShiftModifier | Qt::ControlModifier))
        return QString();
    const bool pair = c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate();
    if (c.isPrint() || c.category() == QChar::Other_PrivateUse || pair || c == u'\t')
        return text;
    return QString();
}

}  // namespace

QString NormalizeLineBreaks(const QString& text)
{
    QString result;
    result.reserve(text.size());
    const QChar* p = text.constData();
    const QChar* end = p + text.size();
    for (; p < end; ++p) {
        const char16_t c = p->unicode();
        if (c == u'\r') {
            if (p + 1 < end && p[1] == u'\n')
                ++p;
            result.append(u'\n');
        } else if (c == 0x2028 || c == 0x2029) {
            result.append(u'\n');
        } else {
            result.append(*p);
        }
    }
    return result;
}

QString InsertableText(const QString& text)
{
    QString result = NormalizeLineBreaks(text);
    // A NUL would make the saved file unreadable as text.
    result.remove(QChar(0));
    return result;
}

bool HasPlainText(const QMimeData* data)
{
    if (!data)
        return false;
    const QStringList formats = data->formats();
    return std::any_of(formats.begin(), formats.end(), [](const QString& format) {
        return format == QLatin1String("text/plain") || format.startsWith(QLatin1String("text/plain;"));
    });
}

TMemo::TMemo(QWidget* parent)
    : QPlainTextEdit(parent), m_capacity(MemoCapacity), m_continuations(std::make_shared<ContinuationTally>())
{
    auto* doc = new QTextDocument(this);
    auto* layout = new TTextAreaLayout(doc);
    layout->setPaintDevice(viewport());
    doc->setDocumentLayout(layout);
    // Only the rows an edit changed are painted again, not the whole paragraph.
    connect(layout, &TTextAreaLayout::rowsChanged, this, [this](const QTextBlock& edited, qreal top, qreal bottom) {
        ForEachVisibleBlock(*this, viewport()->rect(), [&](const QTextBlock& block, const QPointF& offset) {
            if (block != edited)
                return true;
            const qreal y = offset.y() + block.layout()->position().y();
            viewport()->update(QRectF(0, y + top, viewport()->width(), bottom - top).toAlignedRect());
            return false;
        });
    });
    doc->setDefaultFont(font());
    setDocument(doc);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(document(), &QTextDocument::contentsChange, this, &TMemo::markContinuations);
    new TCaretShaping(this);
    new TClusterCaret(this);
}

void TMemo::setTextFont(const QFont& font)
{
    m_textFont = font;
    // The same face as the controls of that size: its lookup is already made.
    setFont(TApplication::drawnFont(font));
}

// Qt selects a word or a line by blocks; a line held in pieces is one line.
void TMemo::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_doubleClicked.start();
    if (m_continuations->count != 0)
        widenSelection(
            WholeWordAcrossPieces(*this, textCursor(), cursorForPosition(event->position().toPoint()).position()));
}

void TMemo::mousePressEvent(QMouseEvent* event)
{
    QPlainTextEdit::mousePressEvent(event);
    if (m_continuations->count != 0 && event->button() == Qt::LeftButton && m_doubleClicked.isValid() &&
        m_doubleClicked.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval())
        widenSelection(WholeLineOfPieces(*this, textCursor()));
    m_doubleClicked.invalidate();
}

void TMemo::widenSelection(const QTextCursor& widened)
{
    const QTextCursor current = textCursor();
    if (widened.anchor() != current.anchor() || widened.position() != current.position())
        setTextCursor(widened);
}

bool TMemo::isContinuation(const QTextBlock& block) const
{
    return block.isValid() && block.blockFormat().boolProperty(ContinuationProperty);
}

// Gives each block of the changed range a mark object exactly when its format
// marks it, so that the count of marks follows undo and redo as well.
void TMemo::markContinuations(int position, int /*removed*/, int added)
{
    if (!m_piecesUsed)
        return;
    const QTextDocument* doc = document();
    const QTextBlock last = doc->findBlock(position + added).next();
    for (QTextBlock block = doc->findBlock(position); block.isValid(); block = block.next()) {
        const bool marked = block.userData() != nullptr;
        if (isContinuation(block) && !marked)
            block.setUserData(new ContinuationMark(m_continuations));
        else if (!isContinuation(block) && marked)
            block.setUserData(nullptr);
        if (block == last)
            break;
    }
}

// Qt removes a selection that begins at a block's start together with that
// block, and the merged block keeps the format of the block the selection
// ends in. The line start stays what it was: a continuation or not.
class TMemo::LineStartKeeper {
public:
    LineStartKeeper(TMemo& memo, const QTextCursor& cursor) : m_memo(memo)
    {
        if (!cursor.hasSelection())
            return;  // the common case, kept cheap
        const QTextBlock block = cursor.document()->findBlock(cursor.selectionStart());
        m_active =
            block.position() == cursor.selectionStart() && cursor.selectionEnd() >= block.position() + block.length();
        m_continuation = memo.isContinuation(block);
        // Follows text inserted before it, not text inserted at it.
        m_start = QTextCursor(block);
        m_start.setKeepPositionOnInsert(true);
    }
    void restore()
    {
        if (!m_active)
            return;
        m_active = false;
        const QTextBlock block = m_start.block();
        if (block.position() != m_start.position() || m_memo.isContinuation(block) == m_continuation)
            return;
        m_start.joinPreviousEditBlock();
        m_start.setBlockFormat(WithMark(block.blockFormat(), m_continuation));
        m_start.endEditBlock();
    }

private:
    TMemo& m_memo;
    QTextCursor m_start;
    bool m_active = false;
    bool m_continuation = false;
};

qsizetype TMemo::charCount() const
{
    const QTextDocument* doc = document();
    // characterCount includes one separator per block, the last one included;
    // the break before a continuation block is none of the text's.
    return (doc->characterCount() - 1) + (doc->blockCount() - 1) - 2 * m_continuations->count;
}

qsizetype TMemo::lineBreaksBetween(int fromPosition, int toPosition) const
{
    const QTextDocument* doc = document();
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
const std::vector<int>& TMemo::continuationsBefore() const
{
    const QTextDocument* doc = document();
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

qsizetype TMemo::countBetween(int fromPosition, int toPosition) const
{
    if (fromPosition >= toPosition)
        return 0;
    // Positions count each block separator once; a line break counts two.
    const QTextDocument* doc = document();
    const qsizetype separators = doc->findBlock(toPosition).blockNumber() - doc->findBlock(fromPosition).blockNumber();
    const qsizetype breaks = lineBreaksBetween(fromPosition, toPosition);
    return (toPosition - fromPosition) - separators + 2 * breaks;
}

QString TMemo::textBetween(int fromPosition, int toPosition) const
{
    const QTextDocument* doc = document();
    QString result;
    result.reserve(toPosition - fromPosition);
    for (QTextBlock block = doc->findBlock(fromPosition); block.isValid() && block.position() <= toPosition;
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

QString TMemo::text() const
{
    if (m_continuations->count != 0)
        return textBetween(0, document()->characterCount() - 1);
    QString raw = document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw;
}

void TMemo::setText(const QString& text)
{
    if (CountChars(text) > m_capacity)
        throw VexloError(QStringLiteral("Text überschreitet Memo-Kapazität"));
    // Long lines get their pieces while the text is built: one pass over the
    // text, then the marks.
    QString built;
    QList<int> continuations;  // block numbers
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
                continuations.append(++blockNumber);
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
    if (continuations.isEmpty()) {
        setPlainText(text);
        return;
    }
    m_piecesUsed = true;
    setPlainText(built);
    QTextDocument* doc = document();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    QTextBlock block = doc->firstBlock();
    int number = 0;
    for (const int continuation : continuations) {
        for (; number < continuation; ++number)
            block = block.next();
        cursor.setPosition(block.position());
        cursor.setBlockFormat(WithMark(block.blockFormat(), true));
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
}

void TMemo::checkCapacity(int fromPosition, int toPosition, qsizetype added) const
{
    if (charCount() - countBetween(fromPosition, toPosition) + added > m_capacity)
        throw VexloError(QStringLiteral("Text überschreitet Memo-Kapazität"));
}

bool TMemo::lastLineEmpty() const
{
    // Pieces emptied by editing may trail the last line.
    for (QTextBlock block = document()->lastBlock(); block.isValid(); block = block.previous()) {
        if (block.length() > 1)
            return false;
        if (!isContinuation(block))
            return true;
    }
    return true;
}

void TMemo::appendAsLastLine(const QString& text)
{
    const QString clip = InsertableText(text);
    // An empty text, or one ending in a line break, has an empty last line.
    const QString added = lastLineEmpty() ? clip + u'\n' : u'\n' + clip;
    const int end = document()->characterCount() - 1;
    checkCapacity(end, end, CountChars(added));
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    insertLines(cursor, added);
    cursor.endEditBlock();
}

void TMemo::removeAllText()
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.beginEditBlock();
    insertLines(cursor, QString());  // the first line stays no continuation
    cursor.endEditBlock();
    setTextCursor(cursor);
}

// Inserts text ("\n" line breaks) in place of the cursor's selection, within
// the caller's edit block, and cuts lines that grow too long into pieces.
void TMemo::insertLines(QTextCursor& cursor, const QString& text)
{
    LineStartKeeper keeper(*this, cursor);
    cursor.removeSelectedText();
    keeper.restore();
    const qsizetype lineBreak = text.indexOf(u'\n');
    if (lineBreak >= 0 && facesPieceBreak(cursor, true))
        cursor.movePosition(QTextCursor::NextBlock);
    int from = cursor.position();
    if (lineBreak >= 0 && facesPieceBreak(cursor, false)) {
        // The piece break becomes the line break: no empty piece is left.
        QTextCursor before(cursor.block().previous());
        before.movePosition(QTextCursor::EndOfBlock);
        before.insertText(text.left(lineBreak));
        from = before.position() - int(lineBreak);
        cursor.setBlockFormat(WithMark(cursor.blockFormat(), false));
        cursor.insertText(text.mid(lineBreak + 1));
    } else if (lineBreak >= 0 && isContinuation(cursor.block())) {
        // New blocks take the cursor's block format; after a line break of
        // the text a block is no continuation.
        cursor.insertText(text.left(lineBreak));
        cursor.insertBlock(WithMark(cursor.blockFormat(), false));
        cursor.insertText(text.mid(lineBreak + 1));
    } else {
        cursor.insertText(text);
    }
    const bool split = splitLongBlocks(from, cursor.position());
    if (mendPieceBreaks(from, cursor.position()) || split)
        endAtCaret(cursor, text);
}

// Redo puts the caret after the last change of a step, undo before its first.
// Where pieces were cut after the insertion, the step ends with the last
// character inserted (or a removal) once more, so the caret lands as it would
// in the whole line.
void TMemo::endAtCaret(QTextCursor& cursor, const QString& text)
{
    QTextCursor last = cursor;
    if (facesPieceBreak(last, false)) {
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

// A piece break never parts a grapheme cluster: where an edit made one
// straddle a break, the cluster's start moves over into the later piece. An
// edit early in a run of flags pairs them anew up to the run's end, so the
// breaks after the edit are looked at for as long as they needed mending.
bool TMemo::mendPieceBreaks(int fromPosition, int toPosition)
{
    bool mended = false;
    if (m_continuations->count == 0)
        return mended;
    constexpr int Reach = PieceLength + 2;  // of the later piece: enough to tell a cluster longer than a piece
    QTextDocument* doc = document();
    std::optional<TGraphemes> graphemes;
    // Follows the changes made here; the break right after it counts too.
    QTextCursor end(doc);
    end.setPosition(toPosition);
    bool goOn = false;
    // The break after the last block edited too: the pairs of flags before it may have changed.
    for (QTextBlock block = doc->findBlock(fromPosition);
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

bool TMemo::tooLong(const QTextBlock& block) const
{
    const bool piece = isContinuation(block) || isContinuation(block.next());
    return block.length() - 1 > (piece ? 2 * PieceLength : m_longLine);
}

bool TMemo::splitLongBlocks(int fromPosition, int toPosition)
{
    bool split = false;
    for (QTextBlock block = document()->findBlock(fromPosition); block.isValid(); block = block.next()) {
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

// Cuts the block into pieces; returns the last of them.
QTextBlock TMemo::splitBlock(const QTextBlock& block)
{
    m_piecesUsed = true;
    const QList<qsizetype> cuts = PieceCuts(block.text());
    const QTextBlockFormat mark = WithMark(block.blockFormat(), true);
    const int start = block.position();
    QTextCursor cursor(document());
    // From the end, so that the earlier cut positions stay valid.
    for (auto cut = cuts.crbegin(); cut != cuts.crend(); ++cut) {
        cursor.setPosition(start + int(*cut));
        cursor.insertBlock(mark);
    }
    return document()->findBlock(start + int(cuts.last()) + int(cuts.size()));
}

// Backspace at the start of a continuation block and Delete before one
// remove the neighbouring character of the text, not the piece break.
bool TMemo::deleteAcrossPieces(QKeyEvent* event)
{
    QTextCursor cursor = textCursor();
    // The keys as Qt's own editing reads them: Shift+Backspace deletes, Shift+Delete cuts.
    const bool backspace = event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier);
    const bool forward = event->matches(QKeySequence::Delete);
    if (!backspace && !forward)
        return false;
    if (cursor.hasSelection()) {
        replaceSelection(cursor, QString());
        return true;
    }
    const QTextBlock block = cursor.block();
    if (backspace && facesPieceBreak(cursor, false)) {
        QTextBlock before = block.previous();
        while (before.length() == 1 && isContinuation(before))
            before = before.previous();
        if (before.length() > 1) {
            const int end = before.position() + before.length() - 1;
            removeClusters(ClusterEdge(*this, end - 1, false), end);
            return true;
        }
        if (before.blockNumber() == 0)
            return true;
        cursor.setPosition(before.position());  // the line break before an empty line
        cursor.deletePreviousChar();
        setTextCursor(cursor);
        return true;
    }
    if (forward && facesPieceBreak(cursor, true)) {
        QTextBlock after = block.next();
        while (after.length() == 1 && isContinuation(after))
            after = after.next();
        if (!after.isValid())
            return true;
        // A continuation's first character, else the line break before the block.
        if (isContinuation(after)) {
            removeClusters(after.position(), ClusterEdge(*this, after.position() + 1, true));
        } else {
            QTextCursor remover(document());
            remover.setPosition(after.position() - 1);
            remover.deleteChar();
        }
        return true;
    }
    // Within a block a key removes a whole cluster: never half a pair or half a flag.
    const int offset = cursor.positionInBlock();
    if (backspace ? offset > 0 : offset < block.length() - 1) {
        const int position = cursor.position();
        if (backspace)
            removeClusters(ClusterEdge(*this, position - 1, false), position);
        else
            removeClusters(position, ClusterEdge(*this, position + 1, true));
        ensureCursorVisible();
        return true;
    }
    // Removing a line break that joins two lines too long for one block: the
    // deletion and the cut into pieces are one undo step.
    const bool joins =
        backspace ? cursor.atBlockStart() && block.blockNumber() > 0 : cursor.atBlockEnd() && block.next().isValid();
    const QTextBlock first = backspace ? block.previous() : block;
    const QTextBlock second = first.next();
    const bool piece = isContinuation(first) || isContinuation(second.next());
    if (!joins || first.length() + second.length() - 2 <= (piece ? 2 * PieceLength : m_longLine))
        return false;
    cursor.beginEditBlock();
    if (backspace)
        cursor.deletePreviousChar();
    else
        cursor.deleteChar();
    if (splitLongBlocks(cursor.position(), cursor.position()))
        endAtCaret(cursor, QString());
    cursor.endEditBlock();
    setTextCursor(cursor);
    return true;
}

// Removes the clusters between two positions of one block, as Backspace and
// Delete do. Without pieces, keys that follow each other merge into one undo
// step as Qt's own do; in a line held in pieces the piece breaks the removal
// moved into a cluster are mended in the same step.
void TMemo::removeClusters(int from, int to)
{
    QTextCursor remover = textCursor();
    const bool caretAtEnd = remover.position() == to;
    remover.setPosition(from);
    remover.setPosition(to, QTextCursor::KeepAnchor);
    if (m_continuations->count == 0) {
        remover.removeSelectedText();
    } else {
        remover.beginEditBlock();
        remover.removeSelectedText();
        // No piece is left empty: its break goes with it.
        const QTextBlock block = remover.block();
        if (block.length() == 1 && isContinuation(block))
            remover.deletePreviousChar();
        else if (block.length() == 1 && isContinuation(block.next()))
            remover.deleteChar();
        mendPieceBreaks(remover.position(), remover.position());
        remover.endEditBlock();
    }
    if (caretAtEnd)
        setTextCursor(remover);
}

// Ctrl+Backspace and Ctrl+Delete remove the words the word moves pass.
bool TMemo::deleteWord(QKeyEvent* event)
{
    const bool forward = event->matches(QKeySequence::DeleteEndOfWord);
    if (!forward && !event->matches(QKeySequence::DeleteStartOfWord))
        return false;
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        cursor.setPosition(wordTarget(cursor.position(), forward), QTextCursor::KeepAnchor);
    replaceSelection(cursor, QString());
    return true;
}

// Where a word move from position lands, as in the whole line: Qt's own word
// rule applied to the line's text without its piece breaks, read in growing
// chunks up to WordReach.
int TMemo::wordTarget(int position, bool forward) const
{
    const QTextDocument* doc = document();
    // The pieces of the line as far as the move may reach, not to its end:
    // a line of any length costs what an ordinary one does.
    QTextBlock edge = doc->findBlock(position);
    // (Twice the reach: the piece breaks within it count here.)
    const int far = forward ? position + 2 * WordReach : position - 2 * WordReach;
    while (forward ? isContinuation(edge.next()) && edge.position() + edge.length() - 1 < far
                   : isContinuation(edge) && edge.position() > far)
        edge = forward ? edge.next() : edge.previous();
    const int limit = forward ? edge.position() + edge.length() - 1 : edge.position();
    const bool lineEdge = !(forward ? isContinuation(edge.next()) : isContinuation(edge));
    if (position == limit && lineEdge)  // over the line break
        return std::clamp(position + (forward ? 1 : -1), 0, doc->characterCount() - 1);
    for (int reach = 256;; reach *= 2) {
        // reach units of the text, piece breaks not counted: as far in a line
        // held whole as in pieces.
        const int from = forward ? position : std::max(limit, positionFrom(position, -reach));
        const int to = forward ? std::min(limit, positionFrom(position, reach)) : position;
        const QString text = textBetween(from, to);
        QTextLayout layout(text);
        const int at = forward ? layout.nextCursorPosition(0, QTextLayout::SkipWords)
                               : layout.previousCursorPosition(int(text.size()), QTextLayout::SkipWords);
        // A stop inside the chunk is final; one at its cut edge may go on.
        if (forward ? at < text.size() || (to == limit && lineEdge) : at > 0 || (from == limit && lineEdge))
            return ClusterEdge(*this, positionFrom(from, at), forward);
        // A run without a word's end this long is no word: the move stops
        // after it, on a character's edge, as it would in an ordinary line.
        if (reach >= WordReach) {
            int stop = forward ? int(text.size()) - 1 : 1;
            while (stop > 0 && stop < text.size() && !layout.isValidCursorPosition(stop))
                stop += forward ? -1 : 1;
            return ClusterEdge(*this, positionFrom(from, stop), forward);
        }
    }
}

// Replaces the cursor's selection as one undo step and makes it the caret.
void TMemo::replaceSelection(QTextCursor& cursor, const QString& text)
{
    cursor.beginEditBlock();
    insertLines(cursor, text);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TMemo::cutSelection()
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    copy();
    replaceSelection(cursor, QString());
}

// Typed text goes in as pasted text does (plain line breaks, no NUL, long
// lines cut into pieces); keys typed one after another at one place form one
// undo step, as Qt's own typing does.
void TMemo::typeText(const QString& typed)
{
    const QString text = InsertableText(typed);
    QTextCursor editor = textCursor();
    checkCapacity(editor.selectionStart(), editor.selectionEnd(), CountChars(text));
    if (text.isEmpty())
        return;
    QTextDocument* doc = document();
    const bool plain = !editor.hasSelection();
    if (plain && doc->isModified() && m_typing.revision == doc->revision() && m_typing.position == editor.position())
        editor.joinPreviousEditBlock();
    else
        editor.beginEditBlock();
    insertLines(editor, text);
    editor.endEditBlock();
    setTextCursor(editor);
    ensureCursorVisible();
    m_typing = plain ? Typing{doc->revision(), editor.position()} : Typing{};
}

// Whether the caret stands at a piece break, facing it in the given direction.
bool TMemo::facesPieceBreak(const QTextCursor& cursor, bool forward) const
{
    return forward ? cursor.atBlockEnd() && isContinuation(cursor.block().next())
                   : cursor.atBlockStart() && isContinuation(cursor.block());
}

int TMemo::positionFrom(int position, qsizetype offset) const
{
    QTextBlock block = document()->findBlock(position);
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

// The end of a piece and the start of the next are one place of the text:
// a caret move first steps over the piece break it faces, and a word move
// goes on where a piece break cuts a word.
bool TMemo::moveAcrossPieces(QKeyEvent* event)
{
    struct Move {
        QKeySequence::StandardKey key;
        bool forward;
        bool word;
        bool select;
    };
    static const Move moves[] = {
        {QKeySequence::MoveToNextChar, true, false, false}, {QKeySequence::MoveToPreviousChar, false, false, false},
        {QKeySequence::SelectNextChar, true, false, true},  {QKeySequence::SelectPreviousChar, false, false, true},
        {QKeySequence::MoveToNextWord, true, true, false},  {QKeySequence::MoveToPreviousWord, false, true, false},
        {QKeySequence::SelectNextWord, true, true, true},   {QKeySequence::SelectPreviousWord, false, true, true},
    };
    const Move* move =
        std::find_if(std::begin(moves), std::end(moves), [event](const Move& m) { return event->matches(m.key); });
    // Without Shift a selection collapses to one of its ends: Qt's own move.
    // Word moves are ours in every line, so that a line reaches as far
    // whether it is held whole or in pieces.
    if (move == std::end(moves) || (!move->select && !move->word && textCursor().hasSelection()) ||
        (!move->word && m_continuations->count == 0))
        return false;
    const QTextCursor::MoveMode mode = move->select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    while (facesPieceBreak(textCursor(), move->forward))
        moveCursor(move->forward ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter, mode);
    if (!move->word) {
        QPlainTextEdit::keyPressEvent(event);
    } else {
        QTextCursor cursor = textCursor();
        cursor.setPosition(wordTarget(cursor.position(), move->forward), mode);
        setTextCursor(cursor);
        ensureCursorVisible();
        if (move->select)
            selectionToPrimary();
    }
    return true;
}

// As Qt's own selecting keys do, the selection becomes the primary selection.
void TMemo::selectionToPrimary()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection())
        clipboard->setMimeData(createMimeDataFromSelection(), QClipboard::Selection);
}

// Left and Right inside a line step over one whole cluster as the cluster
// iterator finds it. At a line's or a piece's edge, and in text written right
// to left (whose steps are visual), Qt steps, kept on clusters afterwards.
bool TMemo::stepOverCluster(QKeyEvent* event)
{
    const bool select =
        event->matches(QKeySequence::SelectNextChar) || event->matches(QKeySequence::SelectPreviousChar);
    const bool forward = event->matches(QKeySequence::MoveToNextChar) || event->matches(QKeySequence::SelectNextChar);
    if (!forward && !select && !event->matches(QKeySequence::MoveToPreviousChar))
        return false;
    QTextCursor cursor = textCursor();
    // Without Shift a selection collapses to one of its ends: Qt's own move.
    if (cursor.hasSelection() && !select)
        return false;
    const QTextBlock block = cursor.block();
    const int offset = cursor.positionInBlock();
    if (forward ? offset >= block.length() - 1 : offset <= 0)
        return false;
    const QString text = block.text();
    if (std::any_of(text.begin(), text.end(),
                    [](QChar c) { return c.direction() == QChar::DirR || c.direction() == QChar::DirAL; }))
        return false;
    const int position = cursor.position();
    cursor.setPosition(forward ? ClusterEdge(*this, position + 1, true) : ClusterEdge(*this, position - 1, false),
                       select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
    if (select)
        selectionToPrimary();
    return true;
}

void TMemo::keyPressEvent(QKeyEvent* event)
{
    // A refused key is shown right here: no error crosses Qt's event delivery.
    TApplication::Guard([&] { keyPress(event); });
}

void TMemo::keyPress(QKeyEvent* event)
{
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const QTextCursor cursor = textCursor();
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Shift+Enter would insert a soft line separator; the text knows one break
    // only, and a line break never starts a continuation block.
    if (enter) {
        checkCapacity(cursor.selectionStart(), cursor.selectionEnd(), 2);
        QTextCursor editor = cursor;
        editor.beginEditBlock();
        insertLines(editor, QStringLiteral("\n"));
        editor.endEditBlock();
        setTextCursor(editor);
        ensureCursorVisible();
        return;
    }
    // Typed text first: a plain keystroke pays for no key-table lookups.
    const QString typed = TypedText(event);
    if (!typed.isEmpty()) {
        typeText(typed);
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        cutSelection();
        return;
    }
    // The paste keeps line starts itself; a keeper around it would undo its line break.
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    if (deleteAcrossPieces(event) || deleteWord(event) || stepOverCluster(event) || moveAcrossPieces(event))
        return;
    // Undo and redo always take a modifier; matching asks the platform's key
    // table, which a plain keystroke need not pay for.
    const bool modified = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (modified && (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))) {
        QPlainTextEdit::keyPressEvent(event);  // the formats come back as they were
        return;
    }
    const int revision = document()->revision();
    LineStartKeeper keeper(*this, cursor);
    QPlainTextEdit::keyPressEvent(event);
    keeper.restore();
    // Only a key that edited can have made a line too long; any other leaves
    // the text and its undo history alone.
    if (document()->revision() != revision)
        splitCaretLine();
}

// Typing into a long line: cut it once it has grown too long.
void TMemo::splitCaretLine()
{
    const QTextBlock block = textCursor().block();
    if (tooLong(block)) {
        QTextCursor editor = textCursor();
        editor.joinPreviousEditBlock();
        splitLongBlocks(block.position(), block.position() + block.length() - 1);
        editor.endEditBlock();
    }
}

bool TMemo::canInsertFromMimeData(const QMimeData* source) const
{
    return HasPlainText(source);
}

void TMemo::insertFromMimeData(const QMimeData* source)
{
    // Reached from Qt's own paste and drop: a refused paste is shown right here.
    TApplication::Guard([&] { pasteMimeData(source); });
}

void TMemo::pasteMimeData(const QMimeData* source)
{
    if (!HasPlainText(source))
        return;
    const QString text = InsertableText(source->text());
    QTextCursor cursor = textCursor();
    checkCapacity(cursor.selectionStart(), cursor.selectionEnd(), CountChars(text));
    replaceSelection(cursor, text);
}

QMimeData* TMemo::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

QMenu* TMemo::createContextMenu(const QPoint& position)
{
    QMenu* menu = createStandardContextMenu(position);
    // Cut and delete remove the selection as the keys do.
    for (QAction* action : menu->actions()) {
        const bool cutting = action->objectName() == QLatin1String("edit-cut");
        if (!cutting && action->objectName() != QLatin1String("edit-delete"))
            continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this, cutting] {
            if (cutting) {
                cutSelection();
            } else {
                QTextCursor cursor = textCursor();
                replaceSelection(cursor, QString());
            }
        });
    }
    emit contextMenuOpening(menu);
    return menu;
}

void TMemo::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createContextMenu(event->pos()));
    menu->exec(event->globalPos());
}

void TMemo::dropEvent(QDropEvent* event)
{
    // Qt's own drop puts the text in inside an edit block of its own and then
    // lays out lines of the changed paragraph before the document has, which
    // can crash in the text layout. The text goes in here instead, the edit
    // block closed before the view follows the caret.
    QDragLeaveEvent leave;
    QPlainTextEdit::dragLeaveEvent(&leave);  // the drop caret and the scrolling at the edge end
    if (isReadOnly() || !HasPlainText(event->mimeData())) {
        event->ignore();
        return;
    }
    // A refused drop is shown right here: no error crosses Qt's event delivery.
    TApplication::Guard([&] { dropText(event); });
}

void TMemo::dropText(QDropEvent* event)
{
    event->ignore();  // until the text is taken
    const QString text = InsertableText(event->mimeData()->text());
    QTextCursor target = cursorForPosition(event->position().toPoint());
    target.setPosition(ClusterEdge(*this, target.position(), false));
    const QTextCursor selection = textCursor();
    // Text dragged within the area moves, unless a modifier asks for a copy.
    const bool moving = (event->source() == viewport() || event->source() == this) &&
                        event->dropAction() == Qt::MoveAction && selection.hasSelection();
    if (moving)
        checkCapacity(selection.selectionStart(), selection.selectionEnd(), CountChars(text));
    else
        checkCapacity(target.position(), target.position(), CountChars(text));
    event->setDropAction(moving ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
    if (moving && target.position() >= selection.selectionStart() && target.position() <= selection.selectionEnd())
        return;  // dropped onto itself
    // The removal and the insertion are one step to undo.
    target.beginEditBlock();
    if (moving) {
        LineStartKeeper keeper(*this, selection);
        QTextCursor(selection).removeSelectedText();
        keeper.restore();
    }
    insertLines(target, text);
    target.endEditBlock();
    setTextCursor(target);
    ensureCursorVisible();
}

void TMemo::inputMethodEvent(QInputMethodEvent* event)
{
    // A refused commit is shown right here: no error crosses Qt's event delivery.
    TApplication::Guard([&] { commitInput(event); });
}

void TMemo::commitInput(QInputMethodEvent* event)
{
    if (isReadOnly() || (event->commitString().isEmpty() && event->replacementLength() <= 0)) {
        LineStartKeeper keeper(*this, textCursor());
        QPlainTextEdit::inputMethodEvent(event);
        keeper.restore();
        return;
    }
    // As Qt's own commit: the selection goes, then the committed text replaces
    // the range the event names, counted in units of the text from the caret.
    const QString text = InsertableText(event->commitString());
    const int start = event->replacementStart();
    const int end = start + std::max(0, event->replacementLength());
    QTextCursor caret = textCursor();
    const int selectionStart = caret.selectionStart();
    const int selectionEnd = caret.selectionEnd();
    // A range end inside a cluster takes the whole cluster: half a character is none.
    const auto whole = [this](int position, int outward) { return ClusterEdge(*this, position, outward > 0); };
    const auto at = [&](int offset) {
        return whole(offset < 0 ? positionFrom(selectionStart, offset) : positionFrom(selectionEnd, offset),
                     offset == start ? -1 : 1);
    };
    // The composition ends as the input method meant, without its text.
    QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
    try {
        const int from = at(start);
        const int to = std::max(from, at(end));
        if (to < selectionStart || from > selectionEnd)
            checkCapacity(selectionStart, selectionEnd, CountChars(text) - countBetween(from, to));
        else
            checkCapacity(std::min(from, selectionStart), std::max(to, selectionEnd), CountChars(text));
    } catch (const VexloError&) {
        QPlainTextEdit::inputMethodEvent(&withoutCommit);
        throw;
    }
    QTextCursor editor = caret;
    editor.beginEditBlock();
    insertLines(editor, QString());
    const int place = editor.position();
    const int from = whole(positionFrom(place, start), -1);
    const int to = std::max(from, whole(positionFrom(from, end - start), 1));
    // A caret in or at the replaced range ends after the commit; one apart
    // from it keeps its place in the text.
    const auto samePlace = [this](int a, int b) { return textBetween(std::min(a, b), std::max(a, b)).isEmpty(); };
    const bool touching = (from <= place && place <= to) || samePlace(from, place) || samePlace(to, place);
    editor.setPosition(from);
    editor.setPosition(to, QTextCursor::KeepAnchor);
    insertLines(editor, text);
    editor.endEditBlock();
    if (touching)
        caret = editor;
    caret.clearSelection();
    setTextCursor(caret);
    m_typing = Typing{};
    QPlainTextEdit::inputMethodEvent(&withoutCommit);
}
