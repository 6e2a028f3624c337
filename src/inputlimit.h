#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

// Limits what the user types, pastes, drops or undoes into an edit field to
// maxLength characters. Text the program sets is kept in full, however long:
// a longer text may then be shortened by the user but not lengthened.
class TUserInputLimit : public QObject {
    Q_OBJECT
public:
    TUserInputLimit(QLineEdit* edit, int maxLength);

    int maxLength() const { return m_maxLength; }

private:
    void textChanged();
    void textEdited(const QString& text);

    QLineEdit* m_edit;
    int m_maxLength;
    QString m_before;  // the text before the user's change
};
