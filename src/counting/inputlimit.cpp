#include "counting/inputlimit.h"

#include <QLineEdit>
#include <QToolTip>
#include <algorithm>

#include "storage/profile.h"

TUserInputLimit::TUserInputLimit(QLineEdit* edit, int maxLength)
    : QObject(edit), m_edit(edit), m_maxLength(maxLength), m_before(edit->text())
{
    // textEdited comes before textChanged, so m_before still holds the old text there.
    connect(edit, &QLineEdit::textEdited, this, &TUserInputLimit::textEdited);
    connect(edit, &QLineEdit::textChanged, this, &TUserInputLimit::textChanged);
}

QString TUserInputLimit::cutMessage() const
{
    return QStringLiteral("Dieses Feld nimmt höchstens %1 Zeichen auf; der Rest wurde nicht übernommen.")
        .arg(m_maxLength);
}

void TUserInputLimit::textChanged()
{
    // The signal's argument may be stale after a correction made in textEdited.
    m_before = m_edit->text();
}

void TUserInputLimit::textEdited(const QString& edited)
{
    // Taken as the save will take it, so what is shown is what comes back.
    const QString text = OneLineValue(edited);
    int position = std::min(m_edit->cursorPosition(), int(text.size()));
    const QString kept = limited(text, position);
    if (kept == edited)
        return;
    m_edit->setText(kept);
    m_edit->setCursorPosition(position);
    if (kept != text)
        QToolTip::showText(m_edit->mapToGlobal(QPoint(0, m_edit->height())), cutMessage(), m_edit);
}

QString TUserInputLimit::limited(const QString& text, int& position) const
{
    if (text.size() <= m_maxLength)
        return text;
    // The part of the old text kept at either end; what lies between was inserted.
    const qsizetype shorter = std::min(text.size(), m_before.size());
    qsizetype prefix = 0;
    while (prefix < shorter && text[prefix] == m_before[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && text[text.size() - 1 - suffix] == m_before[m_before.size() - 1 - suffix])
        ++suffix;
    const qsizetype inserted = text.size() - prefix - suffix;
    if (inserted <= 0)
        return text;  // only deleted: a long filled-in text may be shortened
    qsizetype room = std::max<qsizetype>(0, m_maxLength - prefix - suffix);
    if (room >= inserted)
        return text;
    if (room > 0 && text[prefix + room - 1].isHighSurrogate())
        --room;  // half a character is none
    // Nothing fits: the keystroke or paste is refused as a whole, a selection included.
    if (room == 0) {
        position = int(prefix);
        return m_before;
    }
    position = int(prefix + room);
    return text.left(prefix) + text.mid(prefix, room) + text.right(suffix);
}
