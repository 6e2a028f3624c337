#include "changeurl.h"

TfrmChangeURL* frmChangeURL = nullptr;

TfrmChangeURL::TfrmChangeURL(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmChangeURL"));
    setWindowTitle(QStringLiteral("URL ändern"));
}
