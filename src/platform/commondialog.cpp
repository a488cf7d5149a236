#include "platform/commondialog.h"

CommonDialog::CommonDialog(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("CommonDialog1"));
}
