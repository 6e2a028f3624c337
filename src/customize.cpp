#include "customize.h"

TfrmCustomize* frmCustomize = nullptr;

TfrmCustomize::TfrmCustomize(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCustomize"));
    setWindowTitle(QStringLiteral("Konfiguration"));
}
