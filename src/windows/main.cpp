#include "windows/main.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "counting/limitview.h"
#include "framework/Anchors.h"
#include "framework/Application.h"
#include "framework/BakedPictures.h"
#include "framework/ControlColors.h"
#include "framework/Controls.h"
#include "framework/FileDialogs.h"
#include "framework/FileDrop.h"
#include "framework/Guarded.h"
#include "framework/LabelButton.h"
#include "framework/LaterRepaint.h"
#include "framework/Picture.h"
#include "framework/VersionRecord.h"
#include "spelling/personalwords.h"
#include "spelling/spellview.h"
#include "spelling/spellwords.h"
#include "storage/globals.h"
#include "storage/textfile.h"
#include "text/memo.h"
#include "windows/ProUrl.h"
#include "windows/TrayIcon.h"
#include "windows/abouttext.h"
#include "windows/accessible.h"
#include "windows/customize.h"
#include "windows/extern.h"
#include "windows/mainkeys.h"
#include "windows/placement.h"

TfrmMain* frmMain = nullptr;

TfrmCustomize* CustomizeForm()
{
    return MadeOverMainWindow(frmCustomize);
}

TfrmExtern* ExternForm()
{
    return MadeOverMainWindow(frmExtern);
}

namespace {

// A picture stretched to its box, with a copy twice as detailed for screens of a higher scale.
QLabel* MakePicture(const char* name, QWidget* parent, int x, int y, int w, int h, const QPixmap& pixmap,
                    const QString& twice)
{
    auto* picture = PlaceControl(new TPicture, name, parent, x, y);
    picture->resize(w, h);
    picture->setPictures(pixmap, twice);
    return picture;
}

// A picture decoded when the program was built.
QPixmap Baked(const QString& resource)
{
    return QPixmap::fromImage(BakedPicture(resource));
}

const QString kOpenFilterText = QStringLiteral("Textdateien (*.txt *.TXT)");
const QString kOpenFilterAll = QStringLiteral("Alle Dateien (*)");
const QString kSaveFilter = QStringLiteral("Textdatei (*.txt *.TXT)");

}  // namespace

bool ReadFileVersion(const QString& fileName, TVersion& version)
{
    const QString file = fileName.isEmpty() ? QCoreApplication::applicationFilePath() : fileName;
    VersionRecord record{};
    if (!ReadVersionRecord(file, record))
        return false;
    version = {record.major, record.minor, record.release, record.build};
    return true;
}

QString FormatVersion(const TVersion& version)
{
    return QString::asprintf("V%d.%.2d Build %.3d", version.major, version.minor, version.build);
}

TfrmMain::TfrmMain(QWidget* parent, TrayShell* trayShell) : QWidget(parent)
{
    CreateControls(trayShell);
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::CreateControls(TrayShell* trayShell)
{
    SetUpWindowFrame(this, "frmMain", QStringLiteral("Vexlo-Ed - alles was zählt"), clWhite);
    resize(482, 275);
    m_anchors = new Anchors(this);
    // In the order of the window description: later controls lie above earlier ones.
    CreateHeader();
    CreateCommandStrip();
    CreateTextAreas();
    CreateLimitStrip();
    CreateTrayMenu(trayShell);
    ConnectCommands();
}

// The white strip along the top: logos, and the count of characters.
void TfrmMain::CreateHeader()
{
    Panel2 = MakeColorPanel("Panel2", this, {78, 0, 404, 58}, clWhite);
    m_anchors->add(Panel2, akLeft | akTop | akRight);
    imgVexlo_green = MakePicture("imgVexlo_green", Panel2, 7, 13, 64, 26, Baked(QStringLiteral(":/vexlo_green.gif")),
                                 QStringLiteral(":/vexlo_green@2x.png"));
    imgVexlo_blue = MakePicture("imgVexlo_blue", Panel2, 7, 13, 65, 21, Baked(QStringLiteral(":/vexlo_blue.gif")),
                                QStringLiteral(":/vexlo_blue@2x.png"));
    imgVexlo_blue->hide();
    imgVexlo_green->setAccessibleName(QStringLiteral("Vexlo-Logo"));
    imgVexlo_blue->setAccessibleName(QStringLiteral("Vexlo-Logo"));
    lblCharCount = MakeLabel("lblCharCount", Panel2, 0, 16, QStringLiteral("0"), UiFont(10, true));
    lblCharCount->setAlignment(Qt::AlignRight | Qt::AlignTop);
    // Right edge at x 135; it begins beside the wider of the two logos, which it must never cover.
    const int countLeft = std::max(imgVexlo_green->geometry().right(), imgVexlo_blue->geometry().right()) + 1;
    lblCharCount->setGeometry(countLeft, 16, 135 - countLeft, lblCharCount->height());
    // Repainted with every keystroke: it fills its own box, so the panel beneath is not painted too.
    lblCharCount->setAutoFillBackground(true);
    m_countRepaint = new LaterRepaint(lblCharCount);
    m_countRepaint->setRefresh([this] { UpdateCharCount(); });
    Label5 = MakeLabel("Label5", Panel2, 138, 16, QStringLiteral("Zeichen im Textfenster"), UiFont(10, true));
    MarkDecorative(Label5);  // the count reads the whole sentence
    imgKarst = MakePicture("imgKarst", Panel2, 328, 8, 65, 33, Baked(QStringLiteral(":/karst.jpg")),
                           QStringLiteral(":/karst@2x.png"));
    imgKarst->setAccessibleName(QStringLiteral("Karst-Logo"));
    m_anchors->add(imgKarst, akTop | akRight);

    Panel4 = MakeColorPanel("Panel4", this, {-1, 51, 384, 1}, clBlack);
    m_anchors->add(Panel4, akLeft | akTop | akRight);
}

// The coloured strip on the left: the emblem, the label buttons and the version.
void TfrmMain::CreateCommandStrip()
{
    Panel1 = MakeColorPanel("Panel1", this, {-1, 0, 78, 275}, ColorGreen);
    m_anchors->add(Panel1, akLeft | akTop | akBottom);
    Image1 = MakePicture("Image1", Panel1, 15, 2, 46, 44, Baked(QStringLiteral(":/emblem.gif")),
                         QStringLiteral(":/emblem@2x.png"));
    MarkDecorative(Image1);
    lblFileOpen = MakeLabelButton("lblFileOpen", Panel1, 7, 74, QStringLiteral("öffnen"),
                                  QStringLiteral("Öffnet eine Textdatei"));
    lblFileSave = MakeLabelButton("lblFileSave", Panel1, 7, 90, QStringLiteral("speichern"),
                                  QStringLiteral("Speichert den Text als Datei"));
    lblCopyClip = MakeLabelButton("lblCopyClip", Panel1, 7, 117, QStringLiteral("kopieren"),
                                  QStringLiteral("Kopiert den Text in die Zwischenablage"));
    lblClipPaste = MakeLabelButton("lblClipPaste", Panel1, 7, 133, QStringLiteral("einfügen"),
                                   QStringLiteral("Fügt den Inhalt der Zwischenablage am Textende ein"));
    lblClear = MakeLabelButton("lblClear", Panel1, 7, 149, QStringLiteral("löschen"),
                               QStringLiteral("Löscht das Textfenster und die Zwischenablage"));
    lblExtern = MakeLabelButton("lblExtern", Panel1, 7, 172, QStringLiteral("extern"),
                                QStringLiteral("Platz zum Hinterlegen wichtiger Internetadressen"));
    lblAbout = MakeLabelButton("lblAbout", Panel1, 7, 196, QStringLiteral("about"), QString());
    lblExit =
        MakeLabelButton("lblExit", Panel1, 7, 212, QStringLiteral("beenden"), QStringLiteral("oooch, jetzt schon?"));
    lblVersion = MakeLabel("lblVersion", Panel1, 7, 240, QStringLiteral("lblVersion"), UiFont(8));
    lblVersion->setWordWrap(true);
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblVersion->setGeometry(7, 240, 45, 2 * lblVersion->fontMetrics().height());
    WidenToText(lblVersion);
    SetTextColor(lblVersion, clMaroon);
    m_anchors->add(lblVersion, akLeft | akBottom);
}

// The text area with the marks of the limits and of the spelling, and the about text in its place.
void TfrmMain::CreateTextAreas()
{
    memoMain = PlaceControl(new TMemo, "memoMain", this, 79, 60);
    memoMain->resize(319, 215);
    memoMain->setFrameShape(QFrame::NoFrame);
    memoMain->setAccessibleName(QStringLiteral("Text"));
    memoMain->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The text font before the limit view sizes its line from it: no font is looked up in vain.
    memoMain->setTextFont(QFont(DefaultFontName, DefaultFontSize));
    m_anchors->add(memoMain, akLeft | akTop | akRight | akBottom);
    // A piece break of a long line is no line break: the text area knows which are.
    m_limitView = new TLimitView(
        memoMain, [memo = memoMain](int from, int to) { return memo->lineBreaksBetween(from, to); },
        [this](const QString& text) { CopyText(text); });
    connect(m_limitView, &TLimitView::countRuleChosen, this,
            Guarded([this](TLimitSlot slot, TCountRule rule) { CountRuleChosen(int(slot), std::int32_t(rule)); }));
    // German spell checking; the dictionary loads once the window is shown.
    // The program's own words are known.
    auto* spellView = new TSpellView(memoMain, InstalledGermanDictionary(), PersonalWordListPath());
    spellView->checker()->setOwnWords(OwnWords(AboutText()));
    memoAbout = PlaceControl(new QPlainTextEdit, "memoAbout", this, 79, 60);
    memoAbout->resize(319, 215);
    memoAbout->setReadOnly(true);
    memoAbout->setAccessibleName(QStringLiteral("Über Vexlo-Ed"));
    // Filled whole: the text area and its marks must not shine through the frame's edges.
    memoAbout->setAutoFillBackground(true);
    memoAbout->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoAbout->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memoAbout->hide();
    m_anchors->add(memoAbout, akLeft | akTop | akRight | akBottom);
}

// The coloured strip on the right: the limit indicators, the settings, the
// options and the mail link.
void TfrmMain::CreateLimitStrip()
{
    Panel3 = MakeColorPanel("Panel3", this, {399, 59, 83, 217}, ColorGreen);
    m_anchors->add(Panel3, akTop | akRight | akBottom);
    Label6 = MakeLabel("Label6", Panel3, 4, 2, QStringLiteral("Grenzwert\nerreicht?"), UiFont(10));
    Label6->setToolTip(
        QStringLiteral("Zeigt an, ob die Zeichengrenze für Gästebuch\n"
                       "bzw. Foreneintrag erreicht wurde.\n"
                       "Diese Werte sind Richtwerte und können je\n"
                       "nach Browsertyp variieren."));
    lblGB = MakeLabel("lblGB", Panel3, 4, 35, QStringLiteral("Gästebuch"), UiFont(10, true));
    lblGB->setToolTip(QStringLiteral("Die maximale Zeichenzahl für Gästebucheinträge ist überschritten"));
    lblForum = MakeLabel("lblForum", Panel3, 4, 53, QStringLiteral("Forum"), UiFont(10, true));
    lblForum->setToolTip(QStringLiteral("Die maximale Zeichenzahl für Forenbeiträge ist überschritten"));
    lblGB->setAccessibleName(QStringLiteral("Gästebuch-Grenze erreicht"));
    lblForum->setAccessibleName(QStringLiteral("Forum-Grenze erreicht"));
    for (QLabel* indicator : {lblGB, lblForum}) {
        SetBackgroundColor(indicator, clRed);
        SetTextColor(indicator, clYellow);
        indicator->hide();
    }
    lblCustomize = MakeLabelButton("lblCustomize", Panel3, 6, 73, QStringLiteral("anpassen"),
                                   QStringLiteral("Einstellungen konfigurieren"));
    cbSysTray = PlaceControl(new QCheckBox(QStringLiteral("SysTray")), "cbSysTray", Panel3, 3, 117);
    cbSysTray->setToolTip(QStringLiteral("minimiert Vexlo-Ed in den SysTray\n(neben der Uhr)"));
    cbSysTray->setFont(UiFont(8));
    SetTextColor(cbSysTray, clBlack);
    cbSysTray->adjustSize();
    m_anchors->add(cbSysTray, akLeft | akBottom);
    cbStayOnTop = PlaceControl(new QCheckBox(QStringLiteral("immer vorn")), "cbStayOnTop", Panel3, 3, 136);
    cbStayOnTop->setToolTip(QStringLiteral("Das Fenster bleibt immer im Vordergrund"));
    cbStayOnTop->adjustSize();
    m_anchors->add(cbStayOnTop, akLeft | akBottom);
    Label1 = MakeLabel("Label1", Panel3, 6, 169, QStringLiteral("Fragen und Anregungen?"), UiFont(8));
    Label1->setWordWrap(true);
    Label1->setGeometry(6, 169, 64, Label1->heightForWidth(64));
    WidenToText(Label1);
    // The question ends above the mail link, which would cover its last line:
    // it moves up into the free room under the check boxes as far as its font needs.
    Label1->move(6, qMin(169, 194 - Label1->height()));
    m_anchors->add(Label1, akLeft | akBottom);
    lblMailTo = PlaceControl(new TProUrlLabel, "lblMailTo", Panel3, 6, 194);
    QFont mailFont = UiFont(8);
    mailFont.setUnderline(true);
    lblMailTo->setFont(mailFont);
    lblMailTo->setFontColor(clBlue);
    lblMailTo->setCaption(QStringLiteral("e-mail an Karst"));
    lblMailTo->setURL(QStringLiteral("mailto:karst@example.org?subject='Vexlo-Ed Anregungen'"));
    m_anchors->add(lblMailTo, akLeft | akBottom);
}

// The icon in the notification area and its menu.
void TfrmMain::CreateTrayMenu(TrayShell* trayShell)
{
    mpopSysTray = new QMenu(this);
    mpopSysTray->setObjectName(QStringLiteral("mpopSysTray"));
    miRestore = mpopSysTray->addAction(QStringLiteral("Wiederherstellen"));
    mpopSysTray->addSeparator();
    miOpen = mpopSysTray->addAction(QStringLiteral("Text laden"));
    miSave = mpopSysTray->addAction(QStringLiteral("Text speichern"));
    miPaste = mpopSysTray->addAction(QStringLiteral("Text einfügen"));
    mpopSysTray->addSeparator();
    miExit = mpopSysTray->addAction(QStringLiteral("Beenden"));
    miRestore->setObjectName(QStringLiteral("miRestore"));
    miOpen->setObjectName(QStringLiteral("miOpen"));
    miSave->setObjectName(QStringLiteral("miSave"));
    miPaste->setObjectName(QStringLiteral("miPaste"));
    miExit->setObjectName(QStringLiteral("miExit"));

    TrayIcon1 = new TTrayIcon(this, trayShell);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->setCycleInterval(0);
    TrayIcon1->setHint(QStringLiteral("Vexlo-Ed - zum Öffnen hier klicken"));
    // The application's icon at its designed size, decoded once.
    TrayIcon1->setIcon(QIcon(QApplication::windowIcon().pixmap(QSize(32, 32))));
    TrayIcon1->setIconIndex(0);
    TrayIcon1->setPopupMenu(mpopSysTray);
    TrayIcon1->Loaded();
}

// The label buttons, the menu entries, the keys and dropped files reach their commands.
void TfrmMain::ConnectCommands()
{
    connect(memoMain, &QPlainTextEdit::textChanged, this, Guarded(this, &TfrmMain::memoMainChange));
    // Each label button's command, also by its key.
    const TCommandKey commands[] = {
        {lblFileOpen, Qt::CTRL | Qt::Key_O, "scOpen", "Strg+O", [this] { lblFileOpenClick(); }},
        {lblFileSave, Qt::CTRL | Qt::Key_S, "scSave", "Strg+S", [this] { lblFileSaveClick(); }},
        {lblCopyClip, Qt::CTRL | Qt::SHIFT | Qt::Key_C, "scCopy", "Strg+Umschalt+C", [this] { lblCopyClipClick(); }},
        {lblClipPaste, Qt::CTRL | Qt::SHIFT | Qt::Key_V, "scPaste", "Strg+Umschalt+V", [this] { lblClipPasteClick(); }},
        {lblClear, Qt::CTRL | Qt::SHIFT | Qt::Key_Delete, "scClear", "Strg+Umschalt+Entf", [this] { lblClearClick(); }},
        {lblExtern, Qt::CTRL | Qt::Key_L, "scExtern", "Strg+L", [this] { lblExternClick(); }},
        {lblAbout, Qt::Key_F1, "scAbout", "F1", [this] { lblAboutClick(); }},
        {lblExit, Qt::CTRL | Qt::Key_Q, "scExit", "Strg+Q", [this] { lblExitClick(); }},
        {lblCustomize, Qt::CTRL | Qt::Key_Comma, "scCustomize", "Strg+,", [this] { lblCustomizeClick(); }},
    };
    for (const TCommandKey& command : commands)
        AddCommandKey(this, command);
    connect(cbStayOnTop, &QCheckBox::clicked, this, Guarded(this, &TfrmMain::cbStayOnTopClick));
    connect(miRestore, &QAction::triggered, this, Guarded(this, &TfrmMain::miRestoreClick));
    connect(miOpen, &QAction::triggered, this, Guarded(this, &TfrmMain::lblFileOpenClick));
    connect(miSave, &QAction::triggered, this, Guarded(this, &TfrmMain::lblFileSaveClick));
    connect(miPaste, &QAction::triggered, this, Guarded(this, &TfrmMain::lblClipPasteClick));
    connect(miExit, &QAction::triggered, this, Guarded(this, &TfrmMain::miExitClick));

    AddTextMenuKey(this, memoAbout, memoMain);
    // Files dropped from the file manager are opened as "öffnen" opens them.
    new FileDrop(this, {memoMain->viewport()}, [this](const QString& fileName) { OpenTextFile(fileName); });
}

void TfrmMain::FormCreate()
{
    InitWindow();
    if (auto* app = TApplication::instance()) {
        app->setMainWindow(this);
        app->OnMinimize = [this] { AppMinimize(); };
    }
    TrayIcon1->OnClick = [this](QObject*) { TrayIconClick(); };
    // A window hidden in a notification area that has gone away comes back.
    TrayIcon1->OnAreaLost = [this](QObject*) { TrayIconClick(); };
    LoadSettings();
    cbSysTray->setChecked(Settings.SysTrayOnStart);
    UpdateCharCount();
    ApplyLayout();
}

void TfrmMain::InitWindow()
{
    ShowVersion();
    // The text area has the default text font since it was made.
    memoAbout->setFont(memoMain->font());
    if (auto* app = TApplication::instance()) {
        app->setHintColor(clSilver);
        app->setHintPause(700);
    }
    Settings.LayoutColor = ColorGreen;
    TrayIcon1->setIconVisible(false);
    TrayIcon1->setIcon(QApplication::windowIcon());
    TrayIcon1->setHint(QStringLiteral("Vexlo-Ed - zum Öffnen hier klicken"));
    TrayIcon1->setShowHint(true);
}

void TfrmMain::ShowVersion()
{
    TVersion version;
    if (ReadFileVersion(QString(), version)) {
        lblVersion->setText(FormatVersion(version));
        // Two lines as designed ("V1.20" / "Build 025"): the substitute font is
        // wider than the original, so the box grows to hold the second line.
        const int buildWidth =
            lblVersion->fontMetrics().horizontalAdvance(lblVersion->text().mid(lblVersion->text().indexOf(u' ') + 1));
        const int width = qMax(45, buildWidth + 2);
        lblVersion->resize(width, lblVersion->heightForWidth(width));
        m_anchors->refresh(lblVersion);
    }
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        CentreOver(this, nullptr);  // the centre of the desktop
    }
}

void TfrmMain::memoMainChange()
{
    // The marks colour the text and are painted with it; the figures are
    // worked out once the text has reached the screen.
    if (m_limitView)
        m_limitView->refreshMarks();
    m_countRepaint->refreshLater();
}

void TfrmMain::UpdateCharCount()
{
    const qsizetype n = memoMain->charCount();
    const QString count = QString::number(n);
    if (lblCharCount->text() != count) {
        m_countRepaint->hold();  // after the text it counts
        const bool otherLength = lblCharCount->text().size() != count.size();
        lblCharCount->setText(count);
        // A count too wide for its box beside the logo is drawn smaller, never cut.
        if (otherLength)
            FitFontToWidth(lblCharCount, UiFont(10, true));
    }
    // A screen reader reads the count with its words, as one sentence.
    if (const QString spoken = QStringLiteral("%1 Zeichen im Textfenster").arg(n);
        lblCharCount->accessibleName() != spoken)
        lblCharCount->setAccessibleName(spoken);
    // Each indicator counts as its limit's site does; a limit of 0 or below
    // is reached by any text, so nothing needs counting for it.
    const auto reached = [this, n](TLimitSlot slot, std::int32_t limit) {
        if (limit <= 0 || !m_limitView || m_limitView->countRule(slot) == TCountRule::Browser)
            return n >= limit;
        return m_limitView->limitCount(slot) >= limit;
    };
    if (m_limitView)
        m_limitView->setCountRules(CountRuleFromValue(Settings.ZaehlweiseGB),
                                   CountRuleFromValue(Settings.ZaehlweiseForum));
    lblGB->setVisible(reached(TLimitSlot::GuestBook, Settings.GrenzeGB));
    lblForum->setVisible(reached(TLimitSlot::Forum, Settings.GrenzeForum));
    if (m_limitView)
        m_limitView->showLimits(Settings.GrenzeGB, Settings.GrenzeForum);
}

void TfrmMain::CountRuleChosen(int slot, std::int32_t rule)
{
    std::int32_t& stored = slot == 0 ? Settings.ZaehlweiseGB : Settings.ZaehlweiseForum;
    stored = rule;
    UpdateCharCount();
    SaveCountRule(slot == 0 ? QStringLiteral("GB") : QStringLiteral("Forum"), rule);
}

void TfrmMain::LoadSettings()
{
    QFont font = memoMain->textFont();
    ::LoadSettings(font);
    memoMain->setTextFont(font);
}

void TfrmMain::ApplyLayout()
{
    ShowLayout(Settings.LayoutColor);
}

QFont TfrmMain::textFont() const
{
    return memoMain->textFont();
}

void TfrmMain::setTextFont(const QFont& font)
{
    memoMain->setTextFont(font);
}

void TfrmMain::ShowLayout(TColor color)
{
    SetBackgroundColor(Panel1, color);
    SetBackgroundColor(Panel3, color);
    imgVexlo_green->setVisible(color == ColorGreen);
    imgVexlo_blue->setVisible(color != ColorGreen);
    if (m_limitView)
        m_limitView->setLayoutColor(color);
}

void TfrmMain::lblFileOpenClick()
{
    // Where the file last opened or saved lies, as the save dialog starts there too.
    const QString folder = m_lastFileName.isEmpty() ? QString() : QFileInfo(m_lastFileName).absolutePath();
    const QString fileName = FileDialogs::GetOpenFileName(this, {kOpenFilterText, kOpenFilterAll}, folder);
    if (fileName.isEmpty())
        return;
    OpenTextFile(fileName);
}

void TfrmMain::OpenTextFile(const QString& fileName)
{
    // Read first: a failed open leaves the user's text as it was.
    const QString text = ReadTextFile(fileName);
    memoMain->setText(text);
    m_lastFileName = fileName;
}

void TfrmMain::lblFileSaveClick()
{
    const QString fileName = FileDialogs::GetSaveFileName(this, {kSaveFilter}, QStringLiteral("txt"), m_lastFileName);
    if (fileName.isEmpty())
        return;
    WriteTextFile(fileName, memoMain->text());
    m_lastFileName = fileName;
}

void TfrmMain::lblCopyClipClick()
{
    CopyText(memoMain->text());
}

void TfrmMain::CopyText(const QString& text)
{
    QApplication::clipboard()->setText(text);
}

void TfrmMain::lblClipPasteClick()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!HasPlainText(data))
        return;
    memoMain->appendAsLastLine(data->text());
}

void TfrmMain::lblClearClick()
{
    if (memoAbout->isVisible()) {
        memoAbout->hide();
        return;
    }
    memoMain->removeAllText();
    QApplication::clipboard()->clear();
    UpdateCharCount();
}

void TfrmMain::lblAboutClick()
{
    // Filled when first shown: hidden, it would only lengthen the start.
    if (memoAbout->document()->isEmpty())
        memoAbout->setPlainText(AboutText());
    memoAbout->setVisible(!memoAbout->isVisible());
}

void TfrmMain::lblExternClick()
{
    ExternForm()->exec();
}

void TfrmMain::lblCustomizeClick()
{
    CustomizeForm()->exec();
    LoadSettings();
    UpdateCharCount();
}

void TfrmMain::cbStayOnTopClick()
{
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, cbStayOnTop->isChecked());
    if (wasVisible)
        show();
}

void TfrmMain::lblExitClick()
{
    TApplication::instance()->terminate();
}

void TfrmMain::miExitClick()
{
    TApplication::instance()->terminate();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // Closing the main window ends the program, also when dialogs are still open.
    QWidget::closeEvent(event);
    if (event->isAccepted())
        TApplication::instance()->terminate();
}

void TfrmMain::AppMinimize()
{
    // Without a notification area the window stays in the taskbar: hidden, it
    // could not be brought back.
    if (cbSysTray->isChecked() && TrayIcon1->AreaAvailable()) {
        TrayIcon1->setIconVisible(true);
        TrayIcon1->setEnabled(true);
        TrayIcon1->HideMainWindow();
    } else {
        TrayIcon1->setIconVisible(false);
    }
}

void TfrmMain::ShowAtStart()
{
    if (!Settings.StartMinimized)
        show();
    else if (cbSysTray->isChecked() && TrayIcon1->AreaAvailable())
        AppMinimize();  // never shown: only the icon appears
    else {
        // The window manager minimises a window only once it is on screen; a
        // window shown minimised from the start would come up normal.
        show();
        m_minimizeWhenExposed = true;
        windowHandle()->installEventFilter(this);
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (m_minimizeWhenExposed && watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        m_minimizeWhenExposed = false;
        windowHandle()->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { showMinimized(); });
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::TrayIconClick()
{
    TrayIcon1->ShowMainWindow();
    TrayIcon1->setIconVisible(false);
}

void TfrmMain::miRestoreClick()
{
    TrayIconClick();
}
