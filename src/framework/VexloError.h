#pragma once

#include <QString>
#include <exception>

// The one error type of the program. Handlers throw it; the guard around
// each handler (TApplication::Guard) catches it and shows the error box.
class VexloError : public std::exception {
public:
    explicit VexloError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
