#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace filebytes {

// Reads a regular file whole, byte for byte. Anything else (a folder, a FIFO, a device, a
// missing or unreadable file) is refused at once: the caller gets no bytes and a reason.
struct ReadResult
{
    std::optional<QByteArray> bytes;
    QString error;
};

ReadResult readAll(const QString &path);

}
