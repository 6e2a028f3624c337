#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>

#include "framework/Colors.h"

class QCheckBox;
class QLabel;
class QMenu;
class QAction;
class QPlainTextEdit;
class LabelButton;
class TMemo;
class Anchors;
class TProUrlLabel;
class TTrayIcon;
class TLimitView;
class TrayShell;
class LaterRepaint;

// The four numbers of a version record.
struct TVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t release = 0;
    std::uint16_t build = 0;
};

// Fills version from the named file's version record; an empty name means
// the running executable. Returns false when the file has no record.
bool ReadFileVersion(const QString& fileName, TVersion& version);
// The version label's text: "V%d.%.2d Build %.3d" of major, minor and build.
QString FormatVersion(const TVersion& version);

// The main window: the text area, its live count and the two limit indicators.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    // Tests pass a stand-in for the desktop's notification area.
    explicit TfrmMain(QWidget* parent = nullptr, TrayShell* trayShell = nullptr);
    ~TfrmMain() override;

    // Controls other windows read and write directly.
    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* Panel3 = nullptr;
    QWidget* Panel4 = nullptr;
    QLabel* imgVexlo_green = nullptr;
    QLabel* imgVexlo_blue = nullptr;
    QLabel* imgKarst = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* lblCharCount = nullptr;
    QLabel* Label5 = nullptr;
    LabelButton* lblFileOpen = nullptr;
    LabelButton* lblFileSave = nullptr;
    LabelButton* lblCopyClip = nullptr;
    LabelButton* lblClipPaste = nullptr;
    LabelButton* lblClear = nullptr;
    LabelButton* lblExtern = nullptr;
    LabelButton* lblAbout = nullptr;
    LabelButton* lblExit = nullptr;
    LabelButton* lblCustomize = nullptr;
    QLabel* lblVersion = nullptr;
    TMemo* memoMain = nullptr;
    QPlainTextEdit* memoAbout = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* lblGB = nullptr;
    QLabel* lblForum = nullptr;
    QCheckBox* cbSysTray = nullptr;
    QCheckBox* cbStayOnTop = nullptr;
    QLabel* Label1 = nullptr;
    TProUrlLabel* lblMailTo = nullptr;
    QMenu* mpopSysTray = nullptr;
    QAction* miRestore = nullptr;
    QAction* miOpen = nullptr;
    QAction* miSave = nullptr;
    QAction* miPaste = nullptr;
    QAction* miExit = nullptr;
    TTrayIcon* TrayIcon1 = nullptr;

    void UpdateCharCount();
    void LoadSettings();
    void ApplyLayout();
    // The two side strips and the logo in a layout colour, also for a preview.
    void ShowLayout(TColor color);

    // The window as the program starts: shown, or with "minimiert starten"
    // hidden in the notification area (when "SysTray" is ticked and the
    // desktop has one), else minimised in the taskbar.
    void ShowAtStart();

    // Loads fileName as the whole text, as "öffnen" does with the chosen file.
    void OpenTextFile(const QString& fileName);

    // Commands, also reached from the tray menu.
    void lblFileOpenClick();
    void lblFileSaveClick();
    void lblCopyClipClick();
    void lblClipPasteClick();
    void lblClearClick();
    void lblAboutClick();
    void lblExternClick();
    void lblCustomizeClick();
    void cbStayOnTopClick();
    void lblExitClick();
    void miExitClick();
    void miRestoreClick();
    void AppMinimize();
    void TrayIconClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls(TrayShell* trayShell);
    void FormCreate();
    void InitWindow();
    void ShowVersion();
    void memoMainChange();
    // A counting rule picked in a menu: shown at once, then stored.
    void CountRuleChosen(int slot, std::int32_t rule);
    // Puts a text on the clipboard as plain text.
    void CopyText(const QString& text);

    Anchors* m_anchors = nullptr;
    LaterRepaint* m_countRepaint = nullptr;
    QString m_lastFileName;  // opened or saved last: what the save dialog offers
    bool m_centred = false;
    bool m_minimizeWhenExposed = false;  // "minimiert starten" without a tray
    QPointer<TLimitView> m_limitView;  // room under the limits, in the text area
};

extern TfrmMain* frmMain;

// The dialog held in form, made over the main window when it is first
// wanted, so that the main window comes up without waiting for it.
template <class Form>
Form* MadeOverMainWindow(Form*& form)
{
    if (!form)
        form = new Form(frmMain);
    return form;
}
