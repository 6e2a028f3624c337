#include "windows/extern.h"

#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QToolButton>

#include "framework/ControlColors.h"
#include "framework/Controls.h"
#include "framework/Guarded.h"
#include "framework/LabelButton.h"
#include "storage/globals.h"
#include "storage/profile.h"
#include "windows/ProUrl.h"
#include "windows/changeurl.h"
#include "windows/placement.h"

TfrmExtern* frmExtern = nullptr;
const QString UnassignedCaption = QStringLiteral("< unbelegt >");

namespace {

const QString SectionURL = QStringLiteral("URL");

struct BuiltInEntry {
    QString caption;
    QString url;
};

// Entries 1 and 2 before any load; the same values are the reads' fallbacks.
const BuiltInEntry PartnerSite{QStringLiteral("www.example.net"), QStringLiteral("http://www.example.net")};
const BuiltInEntry HomePage{QStringLiteral("Vexlo Startseite"), QStringLiteral("http://www.example.org")};
const BuiltInEntry OtherFallback{QStringLiteral("keine Beschreibung"), QStringLiteral("kein Link")};

const BuiltInEntry& Fallback(int n)
{
    return n == 1 ? PartnerSite : n == 2 ? HomePage : OtherFallback;
}

QString LinkKey(int n)
{
    return QStringLiteral("Link%1").arg(n);
}

QString DescKey(int n)
{
    return QStringLiteral("Desc%1").arg(n);
}

}  // namespace

TProUrlLabel* LinkListEntry(int n)
{
    return frmExtern ? frmExtern->Entry(n) : nullptr;
}

TfrmExtern::TfrmExtern(QWidget* parent) : QDialog(parent)
{
    CreateControls();
    FormCreate();
}

TfrmExtern::~TfrmExtern() = default;

void TfrmExtern::CreateControls()
{
    SetUpDialogFrame(this, "frmExtern", QStringLiteral("Außenlinks"), {284, 194}, ColorGreen);

    QFont linkFont = UiFont(10);
    linkFont.setUnderline(true);
    for (int n = 1; n <= EntryCount; ++n) {
        auto* label = new TProUrlLabel(this);
        label->setObjectName(QStringLiteral("ulExtern%1").arg(n));
        label->setFont(linkFont);
        label->setFontColor(clBlack);
        label->setUnvisitedColor(clBlack);
        label->setActivatedColor(clYellow);
        label->setVisitedColor(clBlack);
        label->move(32, 11 + 15 * (n - 1));
        label->setElideWidth(width() - 32 - 4);  // long names stay inside the dialog
        label->setCaption(n <= 2 ? Fallback(n).caption : UnassignedCaption);
        label->setURL(n <= 2 ? Fallback(n).url : QString());
        label->setFocusPolicy(Qt::TabFocus);
        ulExtern[n - 1] = label;

        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("SpeedButton%1").arg(n));
        button->setGeometry(8, 12 + 15 * (n - 1), 15, 15);
        // Reached by Tab like the links; Space runs it, Enter through the dialog (keyPressEvent).
        button->setFocusPolicy(Qt::TabFocus);
        button->setAutoRaise(false);
        button->setToolTip(QStringLiteral("Eintrag [%1] ändern").arg(n));
        button->setAccessibleName(QStringLiteral("Eintrag %1 ändern").arg(n));
        connect(button, &QToolButton::clicked, this, Guarded([this, n] { SpeedButtonClick(n); }));
        SpeedButton[n - 1] = button;
    }

    Panel1 = MakeSunkenPanel("Panel1", this, {0, 144, 283, 49});
    lblClear = MakeLabelButton("lblClear", Panel1, 15, 16, QStringLiteral("Alle löschen"),
                               QStringLiteral("löscht die ganze Liste"));
    lblSave = MakeLabelButton("lblSave", Panel1, 132, 16, QStringLiteral("Speichern"),
                              QStringLiteral("Speichert die Einstellungen dauerhaft\r\nund beendet den Dialog"));
    lblClose = MakeLabelButton("lblClose", Panel1, 212, 16, QStringLiteral("Schließen"),
                               QStringLiteral("Dialog schließen\r\nSpeichern nicht vergessen! ;o)"));
    // The buttons keep the row height of 16 whatever their font asks for.
    for (LabelButton* button : {lblClear, lblSave, lblClose}) {
        button->resize(button->width(), 16);
        button->setFocusPolicy(Qt::TabFocus);
    }
    // Tab goes down the rows, each edit button before its link, then along the bottom.
    QWidget* previous = nullptr;
    for (int n = 0; n < EntryCount; ++n)
        for (QWidget* control : {static_cast<QWidget*>(SpeedButton[n]), static_cast<QWidget*>(ulExtern[n])}) {
            if (previous)
                setTabOrder(previous, control);
            previous = control;
        }
    for (QWidget* control : {lblClear, lblSave, lblClose}) {
        setTabOrder(previous, control);
        previous = control;
    }
    connect(lblClear, &LabelButton::clicked, this, Guarded(this, &TfrmExtern::lblClearClick));
    connect(lblSave, &LabelButton::clicked, this, Guarded(this, &TfrmExtern::lblSaveClick));
    connect(lblClose, &LabelButton::clicked, this, Guarded(this, &TfrmExtern::lblCloseClick));
}

TProUrlLabel* TfrmExtern::Entry(int n) const
{
    return n >= 1 && n <= EntryCount ? ulExtern[n - 1] : nullptr;
}

void TfrmExtern::FormCreate()
{
    UpdateLinkHints();
}

void TfrmExtern::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        TApplication::Guard([this] { FormShow(); });
}

void TfrmExtern::FormShow()
{
    CentreOverMainWindow(this);
    // The keyboard starts at the top at each opening, wherever it left off.
    SpeedButton[0]->setFocus(Qt::OtherFocusReason);
    LoadLinks();
    SetBackgroundColor(this, Settings.LayoutColor);
}

bool TfrmExtern::event(QEvent* event)
{
    const bool result = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        TApplication::Guard([this] { FormActivate(); });
    return result;
}

void TfrmExtern::FormActivate()
{
    UpdateLinkHints();
}

void TfrmExtern::keyPressEvent(QKeyEvent* event)
{
    // Escape closes as "Schließen" does; Enter runs the edit button in focus
    // (links and label buttons run themselves), and never a default button.
    switch (event->key()) {
        case Qt::Key_Escape:
            event->accept();
            TApplication::Guard([this] { lblCloseClick(); });
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            if (auto* button = qobject_cast<QToolButton*>(focusWidget()); button && button->hasFocus())
                button->click();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void TfrmExtern::UpdateLinkHints()
{
    for (TProUrlLabel* label : ulExtern)
        label->setHint(label->URL());
}

void TfrmExtern::LoadLinks()
{
    const QString fileName = SettingsFileName();
    if (!QFileInfo::exists(fileName))
        return;
    const IniFile ini(fileName);
    for (int n = 1; n <= EntryCount; ++n) {
        TProUrlLabel* label = Entry(n);
        const bool hasLink = ini.ValueExists(SectionURL, LinkKey(n));
        if (hasLink)
            label->setURL(ini.ReadString(SectionURL, LinkKey(n), Fallback(n).url));
        // The first three entries take a stored name only together with its address.
        if ((n > 3 || hasLink) && ini.ValueExists(SectionURL, DescKey(n)))
            label->setCaption(ini.ReadString(SectionURL, DescKey(n), Fallback(n).caption));
    }
}

void TfrmExtern::SaveLinks()
{
    const QString fileName = SettingsFileName();
    const bool created = EnsureSettingsFile(QStringLiteral("[URL]"));
    IniFile ini(fileName);
    for (int n = 1; n <= EntryCount; ++n) {
        ini.WriteString(SectionURL, LinkKey(n), Entry(n)->URL());
        ini.WriteString(SectionURL, DescKey(n), Entry(n)->Caption());
    }
    // All sixteen keys or none: a refused write raises here and the dialog stays open.
    UpdateSettingsFile(ini, created);
    close();
}

void TfrmExtern::SpeedButtonClick(int n)
{
    EditSlot = n;
    // The edit dialog must belong to this one, or this modal dialog would block it.
    if (!frmChangeURL)
        frmChangeURL = new TfrmChangeURL(this);
    TfrmChangeURL* edit = frmChangeURL;
    if (edit->parentWidget() != this)
        edit->setParent(this, edit->windowFlags());
    edit->show();
    edit->raise();
    edit->activateWindow();
}

void TfrmExtern::lblClearClick()
{
    for (TProUrlLabel* label : ulExtern)
        label->setCaption(UnassignedCaption);
    for (TProUrlLabel* label : ulExtern)
        label->setURL(QString());
    UpdateLinkHints();
}

void TfrmExtern::lblSaveClick()
{
    SaveLinks();
}

void TfrmExtern::lblCloseClick()
{
    close();
}
