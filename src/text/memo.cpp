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

#include "framework/Application.h"
#include "framework/VexloError.h"
#include "storage/textfile.h"
#include "text/caretshaping.h"
#include "text/clustercaret.h"
#include "text/pieceselection.h"
#include "text/textarealayout.h"

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent), m_capacity(MemoCapacity)
{
    auto* doc = new QTextDocument(this);
    auto* layout = new TTextAreaLayout(doc);
    layout->setPaintDevice(viewport());
    doc->setDocumentLayout(layout);
    // Only the rows an edit changed are painted again, not the whole paragraph.
    connect(layout, &TTextAreaLayout::rowsChanged, this, [this](const QTextBlock& edited, qreal top, qreal bottom) {
        ForEachVisibleBlock(visibleArea(), viewport()->rect(), [&](const QTextBlock& block, const QPointF& offset) {
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
    m_pieces = new TPieceModel(document());
    new TCaretShaping(this);
    new TClusterCaret(this, m_pieces);
}

TVisibleArea TMemo::visibleArea() const
{
    return {firstVisibleBlock(), contentOffset(), QSizeF(viewport()->size())};
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
    if (m_pieces->hasPieces())
        widenSelection(
            WholeWordAcrossPieces(*m_pieces, textCursor(), cursorForPosition(event->position().toPoint()).position()));
}

void TMemo::mousePressEvent(QMouseEvent* event)
{
    QPlainTextEdit::mousePressEvent(event);
    if (m_pieces->hasPieces() && event->button() == Qt::LeftButton && m_doubleClicked.isValid() &&
        m_doubleClicked.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval())
        widenSelection(WholeLineOfPieces(*m_pieces, textCursor()));
    m_doubleClicked.invalidate();
}

void TMemo::widenSelection(const QTextCursor& widened)
{
    const QTextCursor current = textCursor();
    if (widened.anchor() != current.anchor() || widened.position() != current.position())
        setTextCursor(widened);
}

void TMemo::setText(const QString& text)
{
    if (CountChars(text) > m_capacity)
        throw VexloError(QStringLiteral("Text überschreitet Memo-Kapazität"));
    const TPieceModel::Pieced pieced = m_pieces->cutLongLines(text);
    setPlainText(pieced.continuations.isEmpty() ? text : pieced.text);
    m_pieces->markContinuationBlocks(pieced.continuations);
}

void TMemo::checkCapacity(int fromPosition, int toPosition, qsizetype added) const
{
    if (charCount() - m_pieces->countBetween(fromPosition, toPosition) + added > m_capacity)
        throw VexloError(QStringLiteral("Text überschreitet Memo-Kapazität"));
}

void TMemo::appendAsLastLine(const QString& text)
{
    const QString clip = InsertableText(text);
    // An empty text, or one ending in a line break, has an empty last line.
    const QString added = m_pieces->lastLineEmpty() ? clip + u'\n' : u'\n' + clip;
    const int end = document()->characterCount() - 1;
    checkCapacity(end, end, CountChars(added));
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    InsertLines(*m_pieces, cursor, added);
    cursor.endEditBlock();
}

void TMemo::removeAllText()
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.beginEditBlock();
    InsertLines(*m_pieces, cursor, QString());  // the first line stays no continuation
    cursor.endEditBlock();
    setTextCursor(cursor);
}

// The caret as the key left it, and the view following it where it should.
bool TMemo::apply(const TKeyEdit& edit)
{
    if (edit.moveCaret)
        setTextCursor(edit.caret);
    if (edit.ensureVisible)
        ensureCursorVisible();
    return edit.taken;
}

void TMemo::cutSelection()
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    copy();
    apply(ReplaceSelection(*m_pieces, cursor, QString()));
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
    InsertLines(*m_pieces, editor, text);
    editor.endEditBlock();
    setTextCursor(editor);
    ensureCursorVisible();
    m_typing = plain ? Typing{doc->revision(), editor.position()} : Typing{};
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
        (!move->word && !m_pieces->hasPieces()))
        return false;
    const QTextCursor::MoveMode mode = move->select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    while (TPieceModel::facesPieceBreak(textCursor(), move->forward))
        moveCursor(move->forward ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter, mode);
    if (!move->word) {
        QPlainTextEdit::keyPressEvent(event);
    } else {
        QTextCursor cursor = textCursor();
        cursor.setPosition(WordTarget(*m_pieces, cursor.position(), move->forward), mode);
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
// iterator finds it; elsewhere Qt steps, kept on clusters afterwards.
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
    const int target = ClusterStep(*m_pieces, cursor, forward);
    if (target < 0)
        return false;
    cursor.setPosition(target, select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
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
        apply(ReplaceSelection(*m_pieces, cursor, QStringLiteral("\n")));
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
    if (apply(DeleteAcrossPieces(*m_pieces, event, cursor)) || apply(DeleteWord(*m_pieces, event, cursor)) ||
        stepOverCluster(event) || moveAcrossPieces(event))
        return;
    // Undo and redo always take a modifier; matching asks the platform's key
    // table, which a plain keystroke need not pay for.
    const bool modified = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (modified && (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))) {
        QPlainTextEdit::keyPressEvent(event);  // the formats come back as they were
        return;
    }
    const int revision = document()->revision();
    TLineStartKeeper keeper(cursor);
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
    if (m_pieces->tooLong(block)) {
        QTextCursor editor = textCursor();
        editor.joinPreviousEditBlock();
        m_pieces->splitLongBlocks(block.position(), block.position() + block.length() - 1);
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
    const QTextCursor cursor = textCursor();
    checkCapacity(cursor.selectionStart(), cursor.selectionEnd(), CountChars(text));
    apply(ReplaceSelection(*m_pieces, cursor, text));
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
            if (cutting)
                cutSelection();
            else
                apply(ReplaceSelection(*m_pieces, textCursor(), QString()));
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
    target.setPosition(m_pieces->clusterEdge(target.position(), false));
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
        TLineStartKeeper keeper(selection);
        QTextCursor(selection).removeSelectedText();
        keeper.restore();
    }
    InsertLines(*m_pieces, target, text);
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
        TLineStartKeeper keeper(textCursor());
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
    const TPieceModel& pieces = *m_pieces;
    // A range end inside a cluster takes the whole cluster: half a character is none.
    const auto whole = [&pieces](int position, int outward) { return pieces.clusterEdge(position, outward > 0); };
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
            checkCapacity(selectionStart, selectionEnd, CountChars(text) - pieces.countBetween(from, to));
        else
            checkCapacity(std::min(from, selectionStart), std::max(to, selectionEnd), CountChars(text));
    } catch (const VexloError&) {
        QPlainTextEdit::inputMethodEvent(&withoutCommit);
        throw;
    }
    QTextCursor editor = caret;
    editor.beginEditBlock();
    InsertLines(*m_pieces, editor, QString());
    const int place = editor.position();
    const int from = whole(positionFrom(place, start), -1);
    const int to = std::max(from, whole(positionFrom(from, end - start), 1));
    // A caret in or at the replaced range ends after the commit; one apart
    // from it keeps its place in the text.
    const auto samePlace = [this](int a, int b) { return textBetween(std::min(a, b), std::max(a, b)).isEmpty(); };
    const bool touching = (from <= place && place <= to) || samePlace(from, place) || samePlace(to, place);
    editor.setPosition(from);
    editor.setPosition(to, QTextCursor::KeepAnchor);
    InsertLines(*m_pieces, editor, text);
    editor.endEditBlock();
    if (touching)
        caret = editor;
    caret.clearSelection();
    setTextCursor(caret);
    m_typing = Typing{};
    QPlainTextEdit::inputMethodEvent(&withoutCommit);
}
