#pragma once

#include <QPlainTextEdit>

// The multi-line text area. Its text holds plain line breaks only, so the
// count of characters (each line break counting two) follows from the
// document's size and block count without ever rescanning the text.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMemo(QWidget* parent = nullptr);

    // UTF-16 units, each line break counting two; constant time.
    qsizetype charCount() const;

    // The text exactly as held, with "\n" line breaks.
    QString text() const;
    void setText(const QString& text);

    // Appends text ("\n" line breaks) as a new last line, ending in a line break.
    void appendAsLastLine(const QString& text);

    // Room inside the area's box beside the text, for strips drawn there.
    using QPlainTextEdit::setViewportMargins;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
};

// Line ends CR LF, lone CR and the Unicode line and paragraph separators
// become "\n", the one line break the text area holds.
QString NormalizeLineBreaks(const QString& text);
