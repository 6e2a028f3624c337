#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>

#include "text/pieceediting.h"
#include "text/piecemodel.h"
#include "text/rangepainter.h"
#include "text/textinput.h"

class QMimeData;

// The multi-line text area. Its text holds plain line breaks only, so the
// count of characters (each line break counting two) follows from the
// document's size and block count without ever rescanning the text.
//
// A very long line is held in pieces: the piece model (piecemodel.h) reads
// and cuts them, pieceediting.h edits across them. The area keeps the events,
// the one insertion path, undo grouping, painting and the menu.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int WordReach = ::WordReach;

    explicit TMemo(QWidget* parent = nullptr);

    // The text as held in pieces, for what reads or edits the text.
    TPieceModel& pieces() { return *m_pieces; }
    const TPieceModel& pieces() const { return *m_pieces; }

    // See TPieceModel.
    qsizetype charCount() const { return m_pieces->charCount(); }
    QString text() const { return m_pieces->text(); }
    bool isContinuation(const QTextBlock& block) const { return TPieceModel::isContinuation(block); }
    qsizetype lineBreaksBetween(int fromPosition, int toPosition) const
    {
        return m_pieces->lineBreaksBetween(fromPosition, toPosition);
    }
    QString textBetween(int fromPosition, int toPosition) const
    {
        return m_pieces->textBetween(fromPosition, toPosition);
    }
    int positionFrom(int position, qsizetype offset) const { return m_pieces->positionFrom(position, offset); }

    // Throws "Text überschreitet Memo-Kapazität" for a text above the capacity.
    void setText(const QString& text);

    // Appends text ("\n" line breaks) as a new last line, ending in a line break.
    void appendAsLastLine(const QString& text);
    // Empties the text as one step that undo takes back whole (clear() would
    // forget the undo history).
    void removeAllText();

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
    void setLongLineLengthForTesting(qsizetype length) { m_pieces->setLongLineLength(length); }

    // The area's menu: Qt's standard entries, cut and delete as the keys do,
    // and what the receivers of contextMenuOpening add. The caller owns it.
    QMenu* createContextMenu(const QPoint& position);

    // Room inside the area's box beside the text, for strips drawn there.
    using QPlainTextEdit::setViewportMargins;
    // What the area's paint walks, for what is painted beside its text.
    using QPlainTextEdit::blockBoundingRect;
    using QPlainTextEdit::contentOffset;
    using QPlainTextEdit::firstVisibleBlock;
    // Where the viewport shows the text, for the painting of ranges.
    TVisibleArea visibleArea() const;

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
    void keyPress(QKeyEvent* event);
    bool apply(const TKeyEdit& edit);
    void pasteMimeData(const QMimeData* source);
    void dropText(QDropEvent* event);
    void commitInput(QInputMethodEvent* event);
    void splitCaretLine();
    void cutSelection();
    void typeText(const QString& typed);
    void widenSelection(const QTextCursor& widened);
    bool moveAcrossPieces(QKeyEvent* event);
    bool stepOverCluster(QKeyEvent* event);
    void selectionToPrimary();

    qsizetype m_capacity;
    QFont m_textFont;
    // The document's, and its child.
    TPieceModel* m_pieces = nullptr;
    // Where the last typed text ended, and the document's revision then.
    struct Typing {
        int revision = -1;
        int position = -1;
    };
    Typing m_typing;
    // Since the last double click, for the triple click that may follow.
    QElapsedTimer m_doubleClicked;
};
