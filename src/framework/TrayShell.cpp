#include "framework/TrayShell.h"

#include <algorithm>
#include <cstring>
#include <iterator>

void NotifyIconData::setTip(const QString& text)
{
    const qsizetype capacity = qsizetype(std::size(szTip)) - 1;
    qsizetype length = std::min(text.size(), capacity);
    // Half a pair is no character: leave both halves out.
    if (length < text.size() && length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    clearTip();
    std::memcpy(szTip, text.utf16(), length * sizeof(char16_t));
}

void NotifyIconData::clearTip()
{
    std::memset(szTip, 0, sizeof(szTip));
}

QString NotifyIconData::tip() const
{
    qsizetype length = 0;
    while (length < qsizetype(std::size(szTip)) && szTip[length] != 0)
        ++length;
    return QString::fromUtf16(szTip, length);
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
