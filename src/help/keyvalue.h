#pragma once

#include <QByteArrayView>
#include <QString>

// A registry value of size 0: it has no last character to trim.
struct RegistryValueEmpty
{
};

// What the About box makes of a value read from the registry: the data trimmed by one final
// NUL; a string as text in the code page, a DWORD as "&h" and its bytes from the last to the
// first in upper-case hex; any other type leaves `keyVal` as it was. Throws RegistryValueEmpty
// for data of size 0.
void keyValueText(quint32 type, QByteArrayView data, QString &keyVal);
