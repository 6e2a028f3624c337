#include "framework/Controls.h"

#include <QDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QStyle>
#include <algorithm>

#include "framework/Application.h"
#include "framework/ControlColors.h"
#include "framework/LabelButton.h"

QFont UiFont(int points, bool bold)
{
    const TApplication* app = TApplication::instance();
    QFont font;
    font.setFamilies(app ? app->uiFamilies() : QStringList{TApplication::designedUiFamily()});
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

void FitFontToWidth(QLabel* label, const QFont& designed)
{
    const int room = label->contentsRect().width();
    QFont font = designed;
    while (font.pointSizeF() > 6 && QFontMetrics(font, label).horizontalAdvance(label->text()) > room)
        font.setPointSizeF(std::max(6.0, font.pointSizeF() - 0.5));
    if (label->font() != font)
        label->setFont(font);
}

// Measured once: adjustSize() also works out the minimum size hint, two more
// layouts of the text that no control here uses.
void FitToText(QLabel* label)
{
    label->ensurePolished();
    const bool plain = !label->text().isEmpty() && label->textFormat() == Qt::PlainText && !label->wordWrap() &&
                       label->frameWidth() == 0 && label->margin() == 0 && label->indent() < 0 && !label->buddy() &&
                       label->minimumSize().isNull() &&
                       !(label->textInteractionFlags() & (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard));
    if (!plain) {
        label->adjustSize();
        return;
    }
    const QMargins margins = label->contentsMargins();
    const int extraWidth = margins.left() + margins.right(), extraHeight = margins.top() + margins.bottom();
    // As QLabel: tabs expanded, centring left out (it only rounds), a 2000-pixel box.
    const Qt::LayoutDirection direction = label->text().isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    const int flags = (QStyle::visualAlignment(direction, label->alignment()) | Qt::TextExpandTabs) &
                      ~(Qt::AlignVCenter | Qt::AlignHCenter);
    const QRect box = label->fontMetrics().boundingRect(0, 0, 2000 - extraWidth, 2000, flags, label->text());
    label->resize(box.width() + extraWidth, box.height() + extraHeight);
}

QLabel* MakeLabel(const char* name, QWidget* parent, int x, int y, const QString& text)
{
    auto* label = PlaceControl(new QLabel(text), name, parent, x, y);
    label->setTextFormat(Qt::PlainText);
    FitToText(label);
    return label;
}

QLabel* MakeLabel(const char* name, QWidget* parent, int x, int y, const QString& text, const QFont& font)
{
    auto* label = PlaceControl(new QLabel(text), name, parent, x, y);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    FitToText(label);
    return label;
}

void WidenToText(QWidget* control)
{
    const auto* label = qobject_cast<const QLabel*>(control);
    if (!label || !label->wordWrap()) {
        control->resize(qMax(control->width(), control->sizeHint().width()), control->height());
        return;
    }
    // Measured one pixel wide, a wrapped text is as wide as its widest word.
    const QMargins margins = label->contentsMargins();
    const int widestWord =
        label->fontMetrics().boundingRect(QRect(0, 0, 1, 100000), Qt::TextWordWrap, label->text()).width();
    const int width = qMax(control->width(), widestWord + margins.left() + margins.right());
    control->resize(width, qMax(control->height(), label->heightForWidth(width)));
}

LabelButton* MakeLabelButton(const char* name, QWidget* parent, int x, int y, const QString& text, const QString& hint)
{
    auto* button = PlaceControl(new LabelButton(text), name, parent, x, y);
    button->setFont(UiFont(10));
    button->setToolTip(hint);
    FitToText(button);
    return button;
}

QWidget* MakeColorPanel(const char* name, QWidget* parent, const QRect& box, TColor color)
{
    auto* panel = PlaceControl(new QWidget, name, parent, box.x(), box.y());
    panel->resize(box.size());
    SetBackgroundColor(panel, color);
    return panel;
}

QFrame* MakeSunkenPanel(const char* name, QWidget* parent, const QRect& box)
{
    auto* panel = PlaceControl(new QFrame, name, parent, box.x(), box.y());
    panel->resize(box.size());
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    return panel;
}

void SetUpWindowFrame(QWidget* window, const char* name, const QString& caption, TColor color)
{
    window->setObjectName(QLatin1String(name));
    window->setWindowTitle(caption);
    window->setFont(UiFont(8));
    SetBackgroundColor(window, color);
}

void SetUpDialogFrame(QDialog* dialog, const char* name, const QString& caption, QSize clientSize, TColor color,
                      Qt::WindowFlags extraFlags)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | extraFlags);
    dialog->setFixedSize(clientSize);
    SetUpWindowFrame(dialog, name, caption, color);
}
