#pragma once

#include <QPlainTextDocumentLayout>

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

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    void layOut(const QTextBlock& block);

    // The block count as of the last change: a change within one block that
    // leaves it is laid out here, any other goes to Qt.
    int m_blockCount;
    // While the size change is being told, the scroll bars it adjusts lay out
    // blocks again; those say nothing more.
    bool m_telling = false;
};
