#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>

#include "framework/Colors.h"
#include "framework/FontDialog.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class LabelButton;

// The settings dialog "Konfiguration": the two limits, the text font, the tray
// options and the colour layout. Font and layout show in the main window at
// once; "Speichern" stores them, "Abbrechen" puts back what the opening found.
class TfrmCustomize : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCustomize(QWidget* parent = nullptr);
    ~TfrmCustomize() override;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edGB = nullptr;
    QLineEdit* edForum = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QFrame* Panel1 = nullptr;
    LabelButton* lblFont = nullptr;
    LabelButton* lblDefault = nullptr;
    LabelButton* lblSave = nullptr;
    LabelButton* lblCancel = nullptr;
    QCheckBox* cbTrayOnStart = nullptr;
    QCheckBox* cbStartMinimized = nullptr;
    QRadioButton* rbLayoutGreen = nullptr;
    QRadioButton* rbLayoutBlue = nullptr;
    FontDialog dlgFont;

    void FormShow();
    void lblFontClick();
    void lblDefaultClick();
    void lblSaveClick();
    void lblCancelClick();
    void rbLayoutGreenClick();
    void rbLayoutBlueClick();
    // Sees every character key before the focused control: Enter saves, Escape cancels.
    void FormKeyPress(QChar key);

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void PreviewLayout(TColor color);
    void PreviewKey(QWidget* receiver, QKeyEvent* event);
    void CloseWith(int result);

    // The opening's state, put back by "Abbrechen".
    QString OldFontName;
    std::int32_t OldFontSize = 0;
    std::int32_t OldGrenzeGB = 0;
    std::int32_t OldGrenzeForum = 0;
    // What "Speichern" stores as the text font.
    QString NewFontName;
    std::int32_t NewFontSize = 0;

    // A key event travels up from the focused control to the dialog; the
    // preview acts on its first receiver only.
    const QEvent* m_previewedEvent = nullptr;
    QPointer<QWidget> m_previewedReceiver;
    bool m_closing = false;
};

extern TfrmCustomize* frmCustomize;

// frmCustomize, made over the main window when it is first wanted.
TfrmCustomize* CustomizeForm();
