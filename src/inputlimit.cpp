#include "inputlimit.h"

#include <QLineEdit>
#include <algorithm>

TUserInputLimit::TUserInputLimit(QLineEdit* edit, int maxLength)
    : QObject(edit), m_edit(edit), m_maxLength(maxLength), m_before(edit->text())
{
    // textEdited comes before textChanged, so m_before still holds the old text there.
    connect(edit, &QLineEdit::textEdited, this, &TUserInputLimit::textEdited);
    connect(edit, &QLineEdit::textChanged, this, &TUserInputLimit::textChanged);
}

void TUserInputLimit::textChanged()
{
    // The signal's argument may be stale after a correction made in textEdited.
    m_before = m_edit->text();
}

void TUserInputLimit::textEdited(const QString& text)
{
    if (text.size() <= m_maxLength)
        return;
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
        return;  // only deleted: a long filled-in text may be shortened
    const qsizetype room = std::max<qsizetype>(0, m_maxLength - prefix - suffix);
    if (room >= inserted)
        return;
    // Nothing fits: the keystroke or paste is refused as a whole, a selection included.
    const QString kept = room == 0 ? m_before : text.left(prefix) + text.mid(prefix, room) + text.right(suffix);
    m_edit->setText(kept);
    m_edit->setCursorPosition(int(prefix + room));
}
