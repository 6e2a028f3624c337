#pragma once

#include <QObject>
#include <QTextCursor>

class QPlainTextEdit;
class QTextBlock;

// Keeps the shaped glyphs of the block the caret is in. Qt frees a block's
// glyphs after every layout and every paint of it, and the caret's line was
// then shaped anew for the caret's place after an edit, each caret rectangle
// and the caret's paint: several times a keystroke. The glyphs of one block
// are kept, and let go again when the caret leaves it, so that memory stays
// what it was. In a line held in pieces, the pieces a word move reaches keep
// theirs too: the move's target and the rows it crosses are shaped once, not
// with every move. It lives as long as the text area, its parent.
class TCaretShaping : public QObject {
public:
    // Pieces that start or end this many units from the caret's block at
    // most keep their glyphs: more than a word move goes (256 units).
    static constexpr int PieceReach = 512;

    explicit TCaretShaping(QPlainTextEdit* edit);

private:
    void follow();
    // Whether block continues the line of the block before it.
    bool continues(const QTextBlock& block) const;
    void release();

    QPlainTextEdit* m_edit;
    // At the start of the first and of the last block whose glyphs are
    // kept; they move with the text.
    QTextCursor m_first;
    QTextCursor m_last;
};
