#pragma once

#include <QDialog>

class TfrmChangeURL : public QDialog {
    Q_OBJECT
public:
    explicit TfrmChangeURL(QWidget* parent = nullptr);
};

extern TfrmChangeURL* frmChangeURL;
