#pragma once

#include <QObject>
#include <QTextCursor>

class QPlainTextEdit;

// Keeps the shaped glyphs of the block the caret is in. Qt frees a block's
// glyphs after every layout and every paint of it, and the caret's line was
// then shaped anew for the caret's place after an edit, each caret rectangle
// and the caret's paint: several times a keystroke. The glyphs of one block
// are kept, and let go again when the caret leaves it, so that memory stays
// what it was. It lives as long as the text area, its parent.
class TCaretShaping : public QObject {
public:
    explicit TCaretShaping(QPlainTextEdit* edit);

private:
    void follow();

    QPlainTextEdit* m_edit;
    // At the start of the block whose glyphs are kept; it moves with the text.
    QTextCursor m_kept;
};
