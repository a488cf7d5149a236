#include "help/keyvalue.h"

#include "platform/codepage.h"
#include "platform/registry.h"

void keyValueText(quint32 type, QByteArrayView data, QString &keyVal)
{
    if (data.isEmpty())
        throw RegistryValueEmpty();
    const QByteArrayView kept = data.back() == '\0' ? data.chopped(1) : data;

    switch (type) {
    case Registry::REG_SZ:
        keyVal = codepage::toUnicode(kept);
        break;
    case Registry::REG_DWORD: {
        QString hex = QStringLiteral("&h");
        for (qsizetype i = kept.size() - 1; i >= 0; --i)
            hex += QStringLiteral("%1").arg(uchar(kept.at(i)), 2, 16, QLatin1Char('0')).toUpper();
        keyVal = hex;
        break;
    }
    default:
        break;
    }
}
