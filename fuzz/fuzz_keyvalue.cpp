// The registry value trimming: one final NUL goes, nothing else; a DWORD's text reads back as
// its kept bytes from the last to the first; other types leave the caller's text.
#include "fuzz.h"
#include "help/keyvalue.h"
#include "platform/codepage.h"
#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const quint32 type = data[0] % 6;
    const QByteArray value(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QString before = QStringLiteral("before");
    QString text = before;
    try {
        keyValueText(type, value, text);
    } catch (const RegistryValueEmpty &) {
        if (!value.isEmpty())
            std::abort();
        return 0;
    }
    if (value.isEmpty())
        std::abort();
    const QByteArray kept = value.endsWith('\0') ? value.chopped(1) : value;
    if (type == Registry::REG_SZ) {
        if (codepage::fromUnicode(text) != kept)
            std::abort();
    } else if (type == Registry::REG_DWORD) {
        QByteArray reversed = QByteArray::fromHex(text.mid(2).toLatin1());
        std::reverse(reversed.begin(), reversed.end());
        if (!text.startsWith(QStringLiteral("&h")) || reversed != kept
            || text.mid(2) != text.mid(2).toUpper())
            std::abort();
    } else if (text != before) {
        std::abort();
    }
    return 0;
}
