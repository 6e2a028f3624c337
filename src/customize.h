#pragma once

#include <QDialog>

class TfrmCustomize : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCustomize(QWidget* parent = nullptr);
};

extern TfrmCustomize* frmCustomize;
