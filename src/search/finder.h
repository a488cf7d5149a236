#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The search dialog's text algorithms, over the document's bytes. Positions are 1-based as the
// dialog keeps them; 0 means "not found". Any size: positions are 64-bit.
namespace finder {

// The first occurrence of `needle` in `text` that begins at `start` or later; occurrences may
// overlap. An empty needle is found at `start` itself; a start beyond the end finds nothing,
// and nothing is found in an empty text. Without `caseSensitive` letters match whatever their
// case, through the code page's case table.
qint64 find(QByteArrayView text, QByteArrayView needle, qint64 start, bool caseSensitive);

}
