#include "framework/Application.h"

#include <QFont>
#include <QFontDatabase>
#include <QTimer>
#include <QToolTip>
#include <QWindowStateChangeEvent>

#include "framework/BakedPictures.h"
#include "framework/ErrorBox.h"
#include "framework/FocusFrameStyle.h"
#include "framework/VexloError.h"

static void InitVexloResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

// Supplies the hint pause as the tooltip wake-up delay.
class HintStyle : public FocusFrameStyle {
public:
    explicit HintStyle(const int* pause) : m_pause(pause) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return *m_pause;
        return FocusFrameStyle::styleHint(hint, option, widget, returnData);
    }

private:
    const int* m_pause;
};

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    InitVexloResources();
    // The window descriptions name fonts of the original desktop.
    QFont::insertSubstitutions(designedUiFamily(), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    setStyle(new HintStyle(&m_hintPause));
    // Before any window is made: every window then draws in these colours.
    setPalette(LightPalette());
    // From pixmaps: a file name would load the icon-engine plugins at start;
    // decoded at build time: Qt's reader would load every image format plugin.
    // The larger one serves title bars and trays of a higher scale.
    QIcon icon(QPixmap::fromImage(BakedPicture(QStringLiteral(":/vexloed.png"))));
    icon.addPixmap(QPixmap::fromImage(BakedPicture(QStringLiteral(":/vexloed@2x.png"))));
    setWindowIcon(icon);
    // The windows' default font; one family serves every control.
    m_uiFamilies = drawnFamilies(designedUiFamily());
    QFont font;
    font.setFamilies(m_uiFamilies);
    font.setPointSize(8);
    setFont(font);
}

QFont TApplication::drawnFont(const QFont& font)
{
    QFont drawn = font;
    drawn.setFamilies(drawnFamilies(font.family()));
    return drawn;
}

QStringList TApplication::drawnFamilies(const QString& family)
{
    const QStringList installed = QFontDatabase::families();
    const QStringList candidates = QStringList{family} + QFont::substitutes(family);
    for (qsizetype i = 0; i < candidates.size(); ++i)
        if (installed.contains(candidates[i], Qt::CaseInsensitive))
            return candidates.mid(i);
    return {family};
}

TApplication::~TApplication() = default;

TApplication* TApplication::instance()
{
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}

void TApplication::Guard(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const VexloError& error) {
        ErrorBox::Show(error.message());
    } catch (const std::exception& error) {
        ErrorBox::Show(QString::fromLocal8Bit(error.what()));
    }
}

void TApplication::setTitle(const QString& title)
{
    // Not the display name: the desktop would append it to every window caption.
    setApplicationName(title);
}

void TApplication::setHintColor(TColor color)
{
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, ToQColor(color));
    palette.setColor(QPalette::Window, ToQColor(color));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(palette);
}

void TApplication::setHintPause(int milliseconds)
{
    m_hintPause = milliseconds;
}

void TApplication::setMainWindow(QWidget* window)
{
    if (m_mainWindow)
        return;
    m_mainWindow = window;
    window->installEventFilter(this);
}

void TApplication::terminate()
{
    // Ends the main loop and any nested one (a modal dialog, the tray menu).
    quit();
}

bool TApplication::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_mainWindow && event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const bool nowMinimized = m_mainWindow->windowState() & Qt::WindowMinimized;
        if (nowMinimized && !(change->oldState() & Qt::WindowMinimized) && OnMinimize) {
            // The handler runs after the window system has minimised the window.
            QTimer::singleShot(0, this, [this] {
                if (OnMinimize)
                    Guard(OnMinimize);
            });
        }
    }
    return QApplication::eventFilter(watched, event);
}
