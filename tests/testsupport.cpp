#include "testsupport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <exception>

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

void ShowFigures()
{
    QCoreApplication::sendPostedEvents();
}

QImage ShownViewport(QWidget* window, QWidget* viewport)
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    const QImage shown = window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    return shown.copy(QRect(viewport->mapTo(window, QPoint(0, 0)), viewport->size()));
}

QImage FreshlyPainted(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
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

QString TextFromChild(const std::function<QString()>& body)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("<no pipe>");
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("<no child>");
    if (child == 0) {
        ::close(channel[0]);
        QByteArray text;
        try {
            text = body().toUtf8();
        } catch (const std::exception& error) {
            text = QByteArray("<exception: ") + error.what() + '>';
        }
        for (qsizetype done = 0; done < text.size();) {
            const ssize_t n = ::write(channel[1], text.constData() + done, size_t(text.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(0);  // no destructors or exit handlers of the parent's objects
    }
    ::close(channel[1]);
    QByteArray text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, n);
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return QStringLiteral("<child killed by signal %1>").arg(WTERMSIG(status));
    return QString::fromUtf8(text);
}

FileSizeLimit::FileSizeLimit(unsigned long long bytes)
{
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_oldCurrent = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_oldCurrent);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_oldHandler);
}
