#include "windows/customize.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "framework/Application.h"
#include "framework/ControlColors.h"
#include "framework/Controls.h"
#include "framework/Guarded.h"
#include "framework/LabelButton.h"
#include "storage/globals.h"
#include "windows/mainview.h"
#include "windows/placement.h"

TfrmCustomize* frmCustomize = nullptr;

namespace {

constexpr QChar kEnter(13);
constexpr QChar kEscape(27);

QLineEdit* MakeLimitField(const char* name, QWidget* parent, int x, int y)
{
    auto* field = PlaceControl(new QLineEdit, name, parent, x, y);
    field->resize(49, 21);
    field->setMaxLength(4);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::white);
    field->setPalette(palette);
    return field;
}

template <typename T>
T* MakeOption(const char* name, QWidget* parent, const QRect& box, const QString& text)
{
    auto* option = PlaceControl(new T(text), name, parent, box.x(), box.y());
    option->resize(box.size());
    WidenToText(option);
    return option;
}

// The character a key press stands for, as the window system reports it.
QChar KeyChar(const QKeyEvent* event)
{
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kEnter;
        case Qt::Key_Escape:
            return kEscape;
        default:
            return event->text().isEmpty() ? QChar() : event->text().front();
    }
}

}  // namespace

void TfrmCustomize::SetTextFont(const QString& name, int size)
{
    QFont font = m_main->textFont();
    font.setFamily(name);
    font.setPointSize(size);
    m_main->setTextFont(font);
}

// The chooser first offers the designed face by its own name.
TfrmCustomize::TfrmCustomize(TMainView* main)
    : QDialog(main->mainWidget()), dlgFont(QFont(TApplication::designedUiFamily(), 8)), m_main(main)
{
    CreateControls();
}

TfrmCustomize::~TfrmCustomize() = default;

void TfrmCustomize::CreateControls()
{
    SetUpDialogFrame(this, "frmCustomize", QStringLiteral("Konfiguration"), {300, 199}, ColorGreen,
                     Qt::CustomizeWindowHint);

    Label1 = MakeLabel("Label1", this, 7, 1,
                       QStringLiteral("Falls die Standard-Grenzwerte mit Deinem\n"
                                      "Browser nicht funktionieren, kannst Du hier selbst\n"
                                      "ermittelte Werte eintragen und die Schriftart für\n"
                                      "das Textfenster wählen."),
                       UiFont(10));
    Label1->resize(286, 64);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2 = MakeLabel("Label2", this, 8, 71, QStringLiteral("Grenzwerte:"));
    edGB = MakeLimitField("edGB", this, 8, 87);
    edForum = MakeLimitField("edForum", this, 82, 87);
    edGB->setAccessibleName(QStringLiteral("Gästebuch-Grenze"));
    edForum->setAccessibleName(QStringLiteral("Forum-Grenze"));
    Label3 = MakeLabel("Label3", this, 8, 111, QStringLiteral("Gästebuch"));
    Label4 = MakeLabel("Label4", this, 82, 111, QStringLiteral("Forum"));

    // The sunken frame whole inside the dialog, a little off its right and bottom edges.
    Panel1 = MakeSunkenPanel("Panel1", this, {192, 109, width() - 192 - 4, height() - 109 - 4});
    lblFont = MakeLabelButton("lblFont", Panel1, 13, 6, QStringLiteral("Schriftart"),
                              QStringLiteral("Schriftart für Textfenster einstellen"));
    lblDefault = MakeLabelButton("lblDefault", Panel1, 13, 23, QStringLiteral("Standardwerte"),
                                 QStringLiteral("Setzt die Einstellungen auf\ndie Defaultwerte zurück"));
    lblSave = MakeLabelButton("lblSave", Panel1, 13, 41, QStringLiteral("Speichern"),
                              QStringLiteral("Speichert die Einstellungen dauerhaft\nund beendet den Dialog"));
    lblCancel = MakeLabelButton("lblCancel", Panel1, 13, 65, QStringLiteral("Abbrechen"),
                                QStringLiteral("Schließt den Dialog ohne Änderung"));

    cbTrayOnStart = MakeOption<QCheckBox>("cbTrayOnStart", this, {8, 135, 169, 17},
                                          QStringLiteral("Tray-Option beim Start aktiviert"));
    cbTrayOnStart->setToolTip(
        QStringLiteral("Option 'SysTray' im Hauptfenster ist beim\nProgrammstart automatisch aktiviert"));
    cbStartMinimized = MakeOption<QCheckBox>("cbStartMinimized", this, {8, 155, 145, 17},
                                             QStringLiteral("Vexlo-Ed minimiert starten"));
    cbStartMinimized->setToolTip(QStringLiteral("Vexlo-Ed wird beim Start sofort im SysTray abgelegt"));
    // Siblings with auto-exclusive buttons: one group, selecting one deselects the other.
    rbLayoutGreen =
        MakeOption<QRadioButton>("rbLayoutGreen", this, {8, 177, 94, 17}, QStringLiteral("grün (Standard)"));
    const int blueX = qMax(106, rbLayoutGreen->geometry().right() + 5);
    rbLayoutBlue = MakeOption<QRadioButton>("rbLayoutBlue", this, {blueX, 177, 45, 17}, QStringLiteral("blau"));
    rbLayoutGreen->setChecked(true);

    setTabOrder(edGB, edForum);
    setTabOrder(edForum, cbTrayOnStart);
    setTabOrder(cbTrayOnStart, cbStartMinimized);
    setTabOrder(cbStartMinimized, rbLayoutGreen);
    setTabOrder(rbLayoutGreen, rbLayoutBlue);
    // The four label buttons follow, each run by Space or Enter.
    QWidget* previous = rbLayoutBlue;
    for (LabelButton* button : {lblFont, lblDefault, lblSave, lblCancel}) {
        button->setFocusPolicy(Qt::TabFocus);
        setTabOrder(previous, button);
        previous = button;
    }

    connect(lblFont, &LabelButton::clicked, this, Guarded(this, &TfrmCustomize::lblFontClick));
    connect(lblDefault, &LabelButton::clicked, this, Guarded(this, &TfrmCustomize::lblDefaultClick));
    connect(lblSave, &LabelButton::clicked, this, Guarded(this, &TfrmCustomize::lblSaveClick));
    connect(lblCancel, &LabelButton::clicked, this, Guarded(this, &TfrmCustomize::lblCancelClick));
    connect(rbLayoutGreen, &QRadioButton::toggled, this, Guarded([this](bool selected) {
                if (selected)
                    rbLayoutGreenClick();
            }));
    connect(rbLayoutBlue, &QRadioButton::toggled, this, Guarded([this](bool selected) {
                if (selected)
                    rbLayoutBlueClick();
            }));

    installEventFilter(this);
    for (QWidget* control : findChildren<QWidget*>())
        control->installEventFilter(this);
}

void TfrmCustomize::setVisible(bool visible)
{
    if (visible && !isVisible() && parentWidget())
        CentreOver(this, parentWidget()->window());
    QDialog::setVisible(visible);
}

void TfrmCustomize::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A window restored by the window system is shown again, not opened.
    if (!event->spontaneous())
        TApplication::Guard([this] { FormShow(); });
}

void TfrmCustomize::FormShow()
{
    edGB->setFocus(Qt::OtherFocusReason);
    const QFont font = m_main->textFont();
    OldFontName = NewFontName = font.family();
    OldFontSize = NewFontSize = font.pointSize();
    OldGrenzeGB = Settings.GrenzeGB;
    OldGrenzeForum = Settings.GrenzeForum;
    edGB->setText(QString::number(Settings.GrenzeGB));
    edForum->setText(QString::number(Settings.GrenzeForum));
    edGB->selectAll();
    // The box mirrors the stored option, also when it was ticked at the last showing.
    cbTrayOnStart->setChecked(Settings.SysTrayOnStart);
    SetBackgroundColor(this, Settings.LayoutColor);
    if (Settings.LayoutColor == ColorBlue)
        rbLayoutBlue->setChecked(true);
    else
        rbLayoutGreen->setChecked(true);
    cbStartMinimized->setChecked(Settings.StartMinimized);
}

void TfrmCustomize::PreviewLayout(TColor color)
{
    m_main->ShowLayout(color);
    SetBackgroundColor(this, color);
}

void TfrmCustomize::rbLayoutGreenClick()
{
    PreviewLayout(ColorGreen);
}

void TfrmCustomize::rbLayoutBlueClick()
{
    PreviewLayout(ColorBlue);
}

void TfrmCustomize::lblFontClick()
{
    // The chooser opens on the font the text shows: OK without a change
    // keeps it, where the chooser's own last choice would change it.
    dlgFont.Font = QFont(NewFontName, NewFontSize);
    if (!dlgFont.Execute(this))
        return;
    // Face and size only: a chosen style is not taken.
    NewFontName = dlgFont.Font.family();
    NewFontSize = dlgFont.Font.pointSize();
    SetTextFont(NewFontName, NewFontSize);
}

void TfrmCustomize::lblDefaultClick()
{
    SetTextFont(DefaultFontName, DefaultFontSize);
    Settings.GrenzeGB = DefaultGrenzeGB;
    Settings.GrenzeForum = DefaultGrenzeForum;
    edGB->setText(QString::number(Settings.GrenzeGB));
    edForum->setText(QString::number(Settings.GrenzeForum));
    NewFontName = DefaultFontName;
    NewFontSize = DefaultFontSize;
    cbTrayOnStart->setChecked(false);
    rbLayoutGreen->setChecked(true);
    cbStartMinimized->setChecked(false);
}

void TfrmCustomize::lblSaveClick()
{
    const bool tray = cbTrayOnStart->isChecked();
    const bool minimized = cbStartMinimized->isChecked();
    const bool green = rbLayoutGreen->isChecked();
    // Raises on a bad limit or a refused write; the dialog then stays open as it is.
    SaveConfig(NewFontName, NewFontSize, edGB->text(), edForum->text(), tray, green, minimized);
    CloseWith(QDialog::Accepted);
}

void TfrmCustomize::lblCancelClick()
{
    SetTextFont(OldFontName, OldFontSize);
    Settings.GrenzeGB = OldGrenzeGB;
    Settings.GrenzeForum = OldGrenzeForum;
    CloseWith(QDialog::Rejected);
    m_main->ShowLayout(Settings.LayoutColor);
}

void TfrmCustomize::CloseWith(int result)
{
    m_closing = true;
    done(result);
    m_closing = false;
}

void TfrmCustomize::closeEvent(QCloseEvent* event)
{
    // The frame's close box cancels, so that no preview outlives the dialog.
    if (isVisible() && !m_closing)
        TApplication::Guard([this] { lblCancelClick(); });
    event->accept();
}

void TfrmCustomize::FormKeyPress(QChar key)
{
    if (key == kEnter)
        lblSaveClick();
    else if (key == kEscape)
        lblCancelClick();
}

void TfrmCustomize::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape belong to the key preview alone: no default button, no second close.
    const QChar key = KeyChar(event);
    if (key == kEnter || key == kEscape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmCustomize::PreviewKey(QWidget* receiver, QKeyEvent* event)
{
    const bool passedUp = event == m_previewedEvent && m_previewedReceiver && m_previewedReceiver != receiver &&
                          receiver->isAncestorOf(m_previewedReceiver);
    if (passedUp)
        return;
    m_previewedEvent = event;
    m_previewedReceiver = receiver;
    // Enter on a label button in focus is that button's own, as a click on it.
    const QChar key = KeyChar(event);
    if (key == kEnter && qobject_cast<LabelButton*>(receiver) && receiver->hasFocus())
        return;
    FormKeyPress(key);
}

bool TfrmCustomize::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        TApplication::Guard([&] { PreviewKey(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event)); });
    } else if (event->type() == QEvent::FocusIn && (watched == edGB || watched == edForum)) {
        // Reached by the keyboard or by the program: typing replaces the whole text.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason ||
            reason == Qt::OtherFocusReason)
            static_cast<QLineEdit*>(watched)->selectAll();
    }
    return QDialog::eventFilter(watched, event);
}
