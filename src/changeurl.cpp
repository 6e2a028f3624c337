#include "changeurl.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "ProUrl.h"
#include "extern.h"
#include "framework/Colors.h"
#include "framework/LabelButton.h"
#include "globals.h"
#include "inputlimit.h"
#include "main.h"
#include "placement.h"

TfrmChangeURL* frmChangeURL = nullptr;

namespace {

QFont SansSerif(int points)
{
    return QFont(QStringLiteral("MS Sans Serif"), points);
}

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
    setObjectName(QStringLiteral("frmChangeURL"));
    setWindowTitle(QStringLiteral("URL ändern"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(324, 176);
    setFont(SansSerif(8));
    SetBackgroundColor(this, ColorGreen);

    const auto makeLabel = [this](const char* name, int x, int y, const QString& text, int points) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        label->setTextFormat(Qt::PlainText);
        label->setFont(SansSerif(points));
        label->move(x, y);
        label->adjustSize();
        return label;
    };
    const auto makeEdit = [this](const char* name, int y, const QString& hint) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setGeometry(55, y, 258, 21);
        edit->setToolTip(hint);
        return edit;
    };
    const auto makeButton = [this](const char* name, int x, const QString& text, const QString& hint) {
        auto* button = new LabelButton(text, this);
        button->setObjectName(QLatin1String(name));
        button->setFont(SansSerif(10));
        button->setToolTip(hint);
        button->adjustSize();
        button->setGeometry(x, 147, button->width(), 16);
        return button;
    };

    Label1 = makeLabel("Label1", 7, 8, QStringLiteral("URL"), 10);
    edURL = makeEdit("edURL", 6, QStringLiteral("Internet-Link\r\nhttp://<webadresse>\r\nmailto:<mailadresse>"));
    Label2 = makeLabel("Label2", 7, 48, QStringLiteral("Name"), 10);
    edName = makeEdit("edName", 46, QStringLiteral("Beschreibungstext"));
    new TUserInputLimit(edName, NameMaxLength);
    setTabOrder(edURL, edName);

    Label5 = makeLabel("Label5", 7, 80,
                       QStringLiteral("Hinweis: Sowohl Webseiten als auch Mailadressen können hier\r\n"
                                      "eingetragen werden. Webseiten müssen immer mit http://\r\n"
                                      "beginnen und Mailadressen mit mailto:\r\n"
                                      "Bsp: http://www.example.org  mailto:info@example.org"),
                       8);
    Label5->setGeometry(7, 80, 299, 52);
    SetTextColor(Label5, clYellow);

    lblCancel =
        makeButton("lblCancel", 67, QStringLiteral("Abbrechen"), QStringLiteral("beendet den Dialog ohne Änderungen"));
    lblOK = makeButton("lblOK", 179, QStringLiteral("Übernehmen"), QStringLiteral("Änderungen übernehmen"));
    connect(lblCancel, &LabelButton::clicked, this, &TfrmChangeURL::lblCancelClick);
    connect(lblOK, &LabelButton::clicked, this, &TfrmChangeURL::lblOKClick);

    // Keyboard preview: the form sees every key before the focused field.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TfrmChangeURL::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmChangeURL::FormShow()
{
    CentreOver(this, frmMain ? frmMain : parentWidget());
    SetBackgroundColor(this, Settings.LayoutColor);
    const TProUrlLabel* entry = frmExtern ? frmExtern->Entry(EditSlot) : nullptr;
    edURL->setText(entry ? entry->URL() : NoEntry);
    edName->setText(entry ? entry->Caption() : NoEntry);
    edURL->setFocus();
}

bool TfrmChangeURL::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && FormKeyPress(static_cast<QKeyEvent*>(event)))
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
    TProUrlLabel* entry = frmExtern ? frmExtern->Entry(EditSlot) : nullptr;
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
