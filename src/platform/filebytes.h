#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <limits>
#include <optional>

namespace filebytes {

// Reads a regular file whole, byte for byte. Anything else (a folder, a FIFO, a device, a
// missing or unreadable file) is refused at once: the caller gets no bytes and a reason.
struct ReadResult
{
    std::optional<QByteArray> bytes;
    QString error;
};

// A file larger than `maxSize` is refused before anything is read, and one that grows past
// it while it is read is refused too. `opened` is called once the file has been opened and
// found to be a regular file within the size, before its bytes are read: when it returns
// false, the file is refused without being read.
ReadResult readAll(const QString &path, qint64 maxSize = std::numeric_limits<qint64>::max(),
                   const std::function<bool()> &opened = {});

}
