#include "memo.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

#include "framework/Application.h"
#include "framework/VexloError.h"
#include "textfile.h"

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

static void CheckCapacity(qsizetype count)
{
    if (count > MemoCapacity)
        throw VexloError(QStringLiteral("Text überschreitet Memo-Kapazität"));
}

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

qsizetype TMemo::charCount() const
{
    const QTextDocument* doc = document();
    // characterCount includes one separator per block, the last one included.
    return (doc->characterCount() - 1) + (doc->blockCount() - 1);
}

QString TMemo::text() const
{
    QString raw = document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw;
}

void TMemo::setText(const QString& text)
{
    setPlainText(text);
}

void TMemo::appendAsLastLine(const QString& text)
{
    const QString clip = NormalizeLineBreaks(text);
    const QTextDocument* doc = document();
    // An empty text, or one ending in a line break, has an empty last line.
    const bool lastLineEmpty = doc->lastBlock().length() == 1;
    const QString added = lastLineEmpty ? clip + u'\n' : u'\n' + clip;
    CheckCapacity(charCount() + CountChars(added));
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added);
}

void TMemo::keyPressEvent(QKeyEvent* event)
{
    // Shift+Enter would insert a soft line separator; the text knows one break only.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & Qt::ShiftModifier)) {
        textCursor().insertText(QStringLiteral("\n"));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TMemo::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText())
        return;
    const QString text = NormalizeLineBreaks(source->text());
    const QTextCursor cursor = textCursor();
    const qsizetype removed = cursor.selectionEnd() - cursor.selectionStart();
    // Reached from Qt's own paste and drop: a refused paste is shown right here.
    bool fits = false;
    TApplication::Guard([&] {
        CheckCapacity(charCount() - removed + CountChars(text));
        fits = true;
    });
    if (fits)
        textCursor().insertText(text);
}
