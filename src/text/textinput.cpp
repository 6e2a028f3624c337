#include "text/textinput.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QStringList>
#include <algorithm>

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
