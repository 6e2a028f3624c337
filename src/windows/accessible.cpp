#include "windows/accessible.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>

#include "counting/infoline.h"
#include "framework/LabelButton.h"
#include "windows/ProUrl.h"

namespace {

const char* const kCommandKey = "vexloCommandKey";

// A left click in the middle of the control, through its own mouse handlers.
// Queued: an action that opens a modal dialog must not hold up the screen
// reader's call until the dialog closes.
void PostLeftClick(QWidget* control)
{
    const QPointF centre = QRectF(control->rect()).center();
    const QPointF global = control->mapToGlobal(centre);
    QCoreApplication::postEvent(control, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                                         Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(control, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                                                         Qt::NoButton, Qt::NoModifier));
}

// Whether a modal dialog keeps the user from the control's window: its
// commands then do nothing, whoever asks.
bool BlockedByModalDialog(const QWidget* control)
{
    const QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return false;
    // The dialog's own controls, and those of the windows it owns, stay in reach.
    for (const QWidget* owner = control; owner; owner = owner->parentWidget())
        if (owner == modal)
            return false;
    if (modal->windowModality() == Qt::ApplicationModal)
        return true;
    // A window-modal dialog blocks the windows it belongs to.
    for (const QWidget* owner = modal->parentWidget(); owner; owner = owner->parentWidget())
        if (owner->window() == control->window())
            return true;
    return false;
}

// The actions a control offers: none while a modal dialog blocks its window,
// so that a screen reader's press fails and says so.
QStringList OfferedActions(const QWidget* control, const QStringList& actions)
{
    return BlockedByModalDialog(control) ? QStringList() : actions;
}

// A control that runs its command on a left click: named by its caption,
// described by its tooltip, pressed as a click.
class ClickableAccessible : public QAccessibleWidget {
public:
    ClickableAccessible(QWidget* widget, QAccessible::Role role, QString (*caption)(const QWidget*))
        : QAccessibleWidget(widget, role), m_caption(caption)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return m_caption(widget());
        return QAccessibleWidget::text(t);
    }

    // Press, and where the window lets it take the focus, the focus too.
    QStringList actionNames() const override
    {
        return OfferedActions(widget(), QStringList{pressAction()} + QAccessibleWidget::actionNames());
    }

    void doAction(const QString& actionName) override
    {
        if (!actionNames().contains(actionName) || !widget()->isEnabled())
            return;
        if (actionName == pressAction())
            PostLeftClick(widget());
        else
            QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override
    {
        const QString key = widget()->property(kCommandKey).toString();
        if (actionName != pressAction() || key.isEmpty())
            return {};
        return {key};
    }

private:
    QString (*m_caption)(const QWidget*);
};

QString LabelButtonCaption(const QWidget* widget)
{
    return static_cast<const LabelButton*>(widget)->text();
}

// The caption as shown: with accelerator prefixes, "&" marks the next
// character and "&&" shows one "&".
QString ProLabelCaption(const QWidget* widget)
{
    const auto* label = static_cast<const TProCustomLabel*>(widget);
    const QString caption = label->Caption();
    if (!label->ShowAccelChar())
        return caption;
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && i + 1 < caption.size())
            ++i;
        shown += caption.at(i);
    }
    return shown;
}

// A link: the address, or what the link opens when it has none, as description.
class LinkAccessible : public ClickableAccessible {
public:
    explicit LinkAccessible(TProUrlLabel* label) : ClickableAccessible(label, QAccessible::Link, ProLabelCaption) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description && widget()->accessibleDescription().isEmpty()) {
            const auto* label = static_cast<const TProUrlLabel*>(widget());
            return label->URL();
        }
        return ClickableAccessible::text(t);
    }
};

// The info line: its text is its name; it announces every change.
class InfoLineAccessible : public QAccessibleWidget {
public:
    explicit InfoLineAccessible(TInfoLine* line) : QAccessibleWidget(line, QAccessible::StatusBar) {}

    QString text(QAccessible::Text t) const override
    {
        const QString whole = static_cast<const TInfoLine*>(widget())->text();
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return whole;
        // The whole text also where the strip shows it cut, then what a click does.
        if (t == QAccessible::Description)
            return QStringList{whole, widget()->accessibleDescription()}.join(u'\n').trimmed();
        return QAccessibleWidget::text(t);
    }

    // Pressed as a click: it opens the choice of counting rules.
    QStringList actionNames() const override { return OfferedActions(widget(), {pressAction()}); }
    void doAction(const QString& actionName) override
    {
        if (actionNames().contains(actionName))
            PostLeftClick(widget());
    }
};

// A check box as Qt presents it (toggled, and focused where it takes the
// focus), whose actions a modal dialog over its window takes away.
class CheckBoxAccessible : public QAccessibleWidget {
public:
    explicit CheckBoxAccessible(QCheckBox* box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return box()->text().remove(QLatin1Char('&'));
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = box()->isChecked();
        return state;
    }

    QStringList actionNames() const override
    {
        const QStringList toggle = box()->isEnabled() ? QStringList{toggleAction()} : QStringList();
        return OfferedActions(widget(), toggle + QAccessibleWidget::actionNames());
    }

    void doAction(const QString& actionName) override
    {
        if (!actionNames().contains(actionName))
            return;
        if (actionName == toggleAction())
            box()->animateClick();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    QCheckBox* box() const { return static_cast<QCheckBox*>(widget()); }
};

// Shown to the eye only.
class DecorativeAccessible : public QAccessibleWidget {
public:
    explicit DecorativeAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Graphic) {}

    QString text(QAccessible::Text) const override { return QString(); }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("LabelButton"))
        return new ClickableAccessible(widget, QAccessible::Button, LabelButtonCaption);
    if (className == QLatin1String("TProUrlLabel"))
        return new LinkAccessible(static_cast<TProUrlLabel*>(widget));
    if (className == QLatin1String("QCheckBox"))
        return new CheckBoxAccessible(static_cast<QCheckBox*>(widget));
    if (className == QLatin1String("TProCustomLabel"))
        return new ClickableAccessible(widget, QAccessible::StaticText, ProLabelCaption);
    // The main window is a frame, as every dialog is.
    if (className == QLatin1String("TfrmMain"))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1String("TInfoLine"))
        return new InfoLineAccessible(static_cast<TInfoLine*>(widget));
    return nullptr;
}

}  // namespace

void InstallAccessibility()
{
    QAccessible::installFactory(Factory);
}

void SetCommandKey(QWidget* control, const QString& keyName)
{
    control->setProperty(kCommandKey, keyName);
}

void MarkDecorative(QWidget* widget)
{
    // Put in place of the one Qt made for it (a label made with its text has
    // one at once; Qt's own are found before any factory's).
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    QAccessible::registerAccessibleInterface(new DecorativeAccessible(widget));
}
