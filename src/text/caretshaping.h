#pragma once

#include <QObject>
#include <QTextCursor>

class QPlainTextEdit;

// Keeps the shaped glyphs of the block the caret is in and of the blocks
// around it within a word move's reach. Qt frees a block's glyphs after
// every layout and every paint of it, and the caret's line was then shaped
// anew for the caret's place after an edit, each caret rectangle and the
// caret's paint: several times a keystroke; in a line held in pieces, a word
// move shaped the piece it went to and the ones it crossed with every move.
// The glyphs of a few blocks are kept, and let go again when the caret
// leaves them behind, so that memory stays what it was. It lives as long as
// the text area, its parent.
class TCaretShaping : public QObject {
public:
    // Blocks that start or end less than this many units from the caret's
    // block keep their glyphs: more than a word move goes (256 units).
    static constexpr int Reach = 512;
    // Blocks kept on either side at most, however short.
    static constexpr int MaxBlocks = 8;

    explicit TCaretShaping(QPlainTextEdit* edit);

private:
    void follow();
    void release();

    QPlainTextEdit* m_edit;
    // At the start of the caret's block and of the first and the last block
    // whose glyphs are kept; they move with the text.
    QTextCursor m_caret;
    QTextCursor m_first;
    QTextCursor m_last;
};
