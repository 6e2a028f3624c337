#include "testsupport.h"

#include <QFile>

#include "framework/ErrorBox.h"
#include "framework/VexloError.h"

ErrorBoxRecorder::ErrorBoxRecorder()
{
    ErrorBox::SetPresenterForTesting([this](const QString& text) { shown << text; });
}

ErrorBoxRecorder::~ErrorBoxRecorder()
{
    ErrorBox::SetPresenterForTesting({});
}

QByteArray ReadFileBytes(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void WriteFileBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QString ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const VexloError& error) {
        return error.message();
    }
    return QString();
}
