// Makes the README's picture of the main window: the program's own window, offscreen, with
// a small made-up win.ini loaded through its quick-load button.
#include "app/form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("form1.png");

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
    return window.grab().save(out) ? 0 : 1;
}
