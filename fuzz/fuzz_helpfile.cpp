// The help viewer reading any bytes as a help file: it shows the file (as best the browser can),
// takes it for the file shown, and a second force-file of it changes nothing.
#include "fuzz.h"
#include "platform/helpviewer.h"

#include <QTemporaryDir>
#include <QTextBrowser>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    static QTemporaryDir *folder = new QTemporaryDir;
    const QString path = folder->filePath(QStringLiteral("Zeruradu.hlp"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();
    HelpViewer viewer({});
    viewer.show(path, HelpViewer::ForceFile);
    const QUrl shown = viewer.findChild<QTextBrowser *>(QStringLiteral("Topic"))->source();
    viewer.show(path, HelpViewer::ForceFile);
    if (viewer.currentFile() != QFileInfo(path).canonicalFilePath()
        || viewer.findChild<QTextBrowser *>(QStringLiteral("Topic"))->source() != shown)
        std::abort();
    return 0;
}
