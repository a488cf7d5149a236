#include "platform/clipboard.h"

#include "platform/codepage.h"

#include <QClipboard>
#include <QGuiApplication>

namespace clipboard {

void setText(QByteArrayView bytes)
{
    QGuiApplication::clipboard()->setText(codepage::toUnicode(bytes));
}

QByteArray text()
{
    return codepage::fromUnicode(QGuiApplication::clipboard()->text());
}

}
