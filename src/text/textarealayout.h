#pragma once

#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <vector>

// The text area's document layout: Qt's plain-text layout, but a block is laid
// out without Qt's bookkeeping of the widest line. Whenever the block holding
// the widest line got narrower, as a typed word wrapping onto the next line
// does, Qt measured every block of the document again: a stall of 100 ms in a
// text of 30 MB. While lines wrap at the area's width, that width is all the
// area's scrolling needs to know, so the document keeps reporting it.
class TTextAreaLayout : public QPlainTextDocumentLayout {
    Q_OBJECT
public:
    explicit TTextAreaLayout(QTextDocument* document);

    QRectF blockBoundingRect(const QTextBlock& block) const override;

signals:
    // An edit changed only the rows of block between top and bottom (block
    // coordinates): the rows above and below show the same text as before.
    void rowsChanged(const QTextBlock& block, qreal top, qreal bottom);

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    // A shown row of a block: the text it holds and where it lies.
    struct Row {
        int start;
        int length;
        qreal top;
        qreal bottom;
    };
    static std::vector<Row> rowsOf(const QTextBlock& block);

    void layOut(const QTextBlock& block);
    // Tells the rows an edit at block offset `at` changed, from the rows before.
    void tellChangedRows(const QTextBlock& block, const std::vector<Row>& before, int at, int removed, int added);

    // The block count as of the last change: a change within one block that
    // leaves it is laid out here, any other goes to Qt.
    int m_blockCount;
    // While the size change is being told, the scroll bars it adjusts lay out
    // blocks again; those say nothing more.
    bool m_telling = false;
    // The block last edited alone, while it holds only left-to-right text
    // with no complex shaping: only then can rows off the edit be trusted to
    // look as before (a removed right-to-left letter may turn every row).
    QTextBlock m_simpleBlock;
};
