#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

// Limits what the user types, pastes, drops or undoes into an edit field to
// maxLength characters (UTF-16 units; a pair is never split). Text the program
// sets is kept in full, however long: a longer text may then be shortened by
// the user but not lengthened. The field holds one line as the settings file
// does: line breaks the user brings in become blanks at once. An input that
// is cut or refused says so in a hint at the field.
class TUserInputLimit : public QObject {
    Q_OBJECT
public:
    TUserInputLimit(QLineEdit* edit, int maxLength);

    int maxLength() const { return m_maxLength; }

    // The hint shown when an input was cut.
    QString cutMessage() const;

private:
    void textChanged();
    void textEdited(const QString& text);
    // The edited text with only as much of the insertion as fits; the caret
    // goes to position.
    QString limited(const QString& text, int& position) const;

    QLineEdit* m_edit;
    int m_maxLength;
    QString m_before;  // the text before the user's change
};
