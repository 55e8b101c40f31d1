#pragma once

#include <QDialogButtonBox>
#include <QPushButton>

namespace platform {

// The "OK" (default) and "Cancel" pair every dialog of the program ends
// with, the buttons named as the dialog's handlers know them.
struct OkCancel
{
    QDialogButtonBox* box;
    QPushButton* ok;
    QPushButton* cancel;
};

inline OkCancel makeOkCancel(QWidget* parent, const QString& okName, const QString& cancelName)
{
    auto* box = new QDialogButtonBox(parent);
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(okName);
    ok->setDefault(true);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(cancelName);
    return OkCancel{box, ok, cancel};
}

} // namespace platform
