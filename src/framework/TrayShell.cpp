#include "framework/TrayShell.h"

#include <cstring>

void NotifyIconData::setTip(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    int length = std::min<int>(bytes.size(), sizeof(szTip) - 1);
    // Step back over continuation bytes so no character is split.
    if (length < bytes.size()) {
        while (length > 0 && (static_cast<uchar>(bytes.at(length)) & 0xC0) == 0x80)
            --length;
    }
    clearTip();
    std::memcpy(szTip, bytes.constData(), length);
}

void NotifyIconData::clearTip()
{
    std::memset(szTip, 0, sizeof(szTip));
}

QString NotifyIconData::tip() const
{
    return QString::fromUtf8(szTip, static_cast<qsizetype>(strnlen(szTip, sizeof(szTip))));
}

quintptr TrayShell::createMessageWindow(WindowProc proc)
{
    const quintptr window = m_nextWindow++;
    m_windows.emplace(window, std::move(proc));
    return window;
}

void TrayShell::destroyMessageWindow(quintptr window)
{
    m_windows.erase(window);
}

qintptr TrayShell::sendMessage(quintptr window, uint message, quintptr wParam, qintptr lParam)
{
    const auto it = m_windows.find(window);
    if (it == m_windows.end())
        return 0;
    // A copy: the procedure may destroy its own window.
    const WindowProc proc = it->second;
    return proc(message, wParam, lParam);
}
