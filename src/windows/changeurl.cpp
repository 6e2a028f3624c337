#include "windows/changeurl.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "counting/inputlimit.h"
#include "framework/ControlColors.h"
#include "framework/Controls.h"
#include "framework/Guarded.h"
#include "framework/LabelButton.h"
#include "storage/globals.h"
#include "storage/profile.h"
#include "windows/ProUrl.h"
#include "windows/linklist.h"
#include "windows/placement.h"

TfrmChangeURL* frmChangeURL = nullptr;

namespace {

// The field text for a slot that names no entry.
const QString NoEntry = QStringLiteral("???");

}  // namespace

TfrmChangeURL::TfrmChangeURL(QWidget* parent) : QDialog(parent)
{
    CreateControls();
}

TfrmChangeURL::~TfrmChangeURL() = default;

void TfrmChangeURL::CreateControls()
{
    SetUpDialogFrame(this, "frmChangeURL", QStringLiteral("URL ändern"), {324, 176}, ColorGreen);

    const auto makeEdit = [this](const char* name, int y, const QString& hint) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setGeometry(55, y, 258, 21);
        edit->setToolTip(hint);
        return edit;
    };

    Label1 = MakeLabel("Label1", this, 7, 8, QStringLiteral("URL"), UiFont(10));
    edURL = makeEdit("edURL", 6, QStringLiteral("Internet-Link\r\nhttp://<webadresse>\r\nmailto:<mailadresse>"));
    Label2 = MakeLabel("Label2", this, 7, 48, QStringLiteral("Name"), UiFont(10));
    edName = makeEdit("edName", 46, QStringLiteral("Beschreibungstext"));
    // A screen reader names each field by the label the eye sees beside it
    // (its buddy); the hint is its description.
    Label1->setBuddy(edURL);
    Label2->setBuddy(edName);
    // No longer than the settings file gives back, and one line, as it is stored.
    new TUserInputLimit(edURL, IniMaxValueLength);
    new TUserInputLimit(edName, NameMaxLength);
    setTabOrder(edURL, edName);

    Label5 = MakeLabel("Label5", this, 7, 80,
                       QStringLiteral("Hinweis: Sowohl Webseiten als auch Mailadressen können hier\r\n"
                                      "eingetragen werden. Webseiten müssen immer mit http://\r\n"
                                      "beginnen und Mailadressen mit mailto:\r\n"
                                      "Bsp: http://www.example.org  mailto:info@example.org"),
                       UiFont(8));
    Label5->setGeometry(7, 80, 299, 52);
    WidenToText(Label5);
    SetTextColor(Label5, clYellow);

    lblCancel = MakeLabelButton("lblCancel", this, 67, 147, QStringLiteral("Abbrechen"),
                                QStringLiteral("beendet den Dialog ohne Änderungen"));
    lblOK =
        MakeLabelButton("lblOK", this, 179, 147, QStringLiteral("Übernehmen"), QStringLiteral("Änderungen übernehmen"));
    // The buttons keep the row height of 16 whatever their font asks for.
    for (LabelButton* button : {lblCancel, lblOK})
        button->resize(button->width(), 16);
    connect(lblCancel, &LabelButton::clicked, this, Guarded(this, &TfrmChangeURL::lblCancelClick));
    connect(lblOK, &LabelButton::clicked, this, Guarded(this, &TfrmChangeURL::lblOKClick));

    // Keyboard preview: the form sees every key before the focused field.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TfrmChangeURL::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        TApplication::Guard([this] { FormShow(); });
}

void TfrmChangeURL::FormShow()
{
    CentreOverMainWindow(this);
    SetBackgroundColor(this, Settings.LayoutColor);
    const TProUrlLabel* entry = LinkListEntry(EditSlot);
    edURL->setText(entry ? entry->URL() : NoEntry);
    edName->setText(entry ? entry->Caption() : NoEntry);
    edURL->setFocus();
}

bool TfrmChangeURL::eventFilter(QObject* watched, QEvent* event)
{
    bool handled = false;
    if (event->type() == QEvent::KeyPress)
        TApplication::Guard([&] { handled = FormKeyPress(static_cast<QKeyEvent*>(event)); });
    if (handled)
        return true;
    return QDialog::eventFilter(watched, event);
}

bool TfrmChangeURL::FormKeyPress(QKeyEvent* event)
{
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            lblOKClick();
            return true;
        case Qt::Key_Escape:
            lblCancelClick();
            return true;
        default:
            return false;
    }
}

void TfrmChangeURL::lblOKClick()
{
    // Taken as typed: an address of blanks only is an address.
    const QString address = edURL->text();
    TProUrlLabel* entry = LinkListEntry(EditSlot);
    if (entry) {
        if (!address.isEmpty()) {
            entry->setURL(address);
            entry->setCaption(edName->text().isEmpty() ? address : edName->text());
        } else {
            entry->setCaption(UnassignedCaption);
            entry->setURL(QString());
        }
    }
    hide();
}

void TfrmChangeURL::lblCancelClick()
{
    hide();
}
