// Makes the README's pictures: the main window with a small made-up win.ini loaded through
// its quick-load button, and the browser window on the maker's page, both drawn offscreen by
// the program itself.
//
//   tansy-screenshot FOLDER    writes FOLDER/form1.png and FOLDER/browser.png
#include "app/form1.h"
#include "browser/browsermodule.h"
#include "browser/frmbrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    browsermodule::prepareProcess();
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("windows"));
    QFile ini(root.filePath(QStringLiteral("windows/win.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("; for 16-bit app support\r\n[fonts]\r\n[extensions]\r\n[mci extensions]\r\n"
              "[files]\r\n[Mail]\r\nMAPI=1\r\n[windows]\r\nload=\r\n"
              "run=C:\\WINDOWS\\SYSTEM\\svchost32.exe\r\nNullPort=None\r\n"
              "[Desktop]\r\nWallpaper=(None)\r\nTileWallpaper=0\r\n");
    ini.close();

    Form1 window(root.path());
    window.show();
    window.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QApplication::processEvents();
    if (!window.grab().save(out.filePath(QStringLiteral("form1.png"))))
        return 1;

    window.findChild<QPushButton *>(QStringLiteral("Command7"))->click();
    frmBrowser *browser = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<frmBrowser *>(top))
            browser = found;
    }
    QElapsedTimer waited;
    waited.start();
    while (browser && browser->windowTitle() != QLatin1String("Tansy's INI Editor")
           && waited.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    // The engine paints the page a moment after it has loaded.
    while (waited.elapsed() < 2000 + 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    const bool saved = browser && browser->grab().save(out.filePath(QStringLiteral("browser.png")));
    window.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return saved ? 0 : 1;
}
