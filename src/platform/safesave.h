#pragma once

#include <QByteArrayView>
#include <QString>

// Writes a document over a file so that no failure can lose what the file held before.
namespace safesave {

struct Result
{
    bool ok = false;
    QString error;  // why it failed, for the caller to word
};

// Writes `bytes` as the whole new content of `path`, byte for byte.
// - A symbolic link is followed: its target is replaced, the link stays.
// - Normally the bytes go to a new file in the same folder, which replaces the old one in one
//   rename once it is complete and on disk; the old file's permission bits, owner and group
//   go to the new one. Until the rename the old file is untouched.
// - A file with more than one hard link, one whose owner could not be given back, or one in a
//   folder that takes no new file (a writable file in a folder the user cannot write) is
//   rewritten in place instead, after a complete copy of its old bytes is on disk beside it,
//   or, where the folder takes none, in a private temporary file; a failure puts the old
//   bytes back. The copy is removed when it is no longer needed.
Result write(const QString &path, QByteArrayView bytes);

}
