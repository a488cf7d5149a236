// Saves a large document over a file and is killed while it does so, by the safe-save
// test: savechild FILE BYTES
#include "platform/safesave.h"

#include <QByteArray>
#include <QString>

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    const QByteArray bytes(QByteArray(argv[2]).toLongLong(), 'n');
    return safesave::write(QString::fromLocal8Bit(argv[1]), bytes).ok ? 0 : 1;
}
