// Makes the pictures of the README and of the help file, drawn offscreen by the program
// itself: the main window with a small made-up win.ini loaded through its quick-load button,
// the browser window on the maker's page, and, for the help, the editor with the suspicious
// run= line found by Edit > Find, and the search dialog that found it.
//
//   tansy-screenshot FOLDER [HELPFOLDER]    writes FOLDER/form1.png and FOLDER/browser.png,
//                                           and HELPFOLDER/help-found.png and help-search.png
#include "app/form1.h"
#include "platform/textbox.h"
#include "browser/browsermodule.h"
#include "browser/frmbrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    const QDir help(argc > 2 ? QString::fromLocal8Bit(argv[2]) : out.path());
    browsermodule::ApplicationArguments arguments(1, argv);  // the folders are ours, not Qt's
    QApplication app(arguments.count(), arguments.values());

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

    // Edit > Find, "run", Search: the line is selected in the main window.
    window.findChild<QAction *>(QStringLiteral("EditFind"))->trigger();
    QWidget *search = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("Form2"))
            search = top;
    }
    if (!search)
        return 1;
    search->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("run"));
    search->findChild<QPushButton *>(QStringLiteral("FindButton"))->click();
    QApplication::processEvents();
    // For the help: the part of the editor that shows the found line, at its real size and
    // narrower than the help viewer's text.
    const QRect found(0, 0, 560, std::min(window.editor()->height(), 290));
    if (!window.editor()->grab(found).save(help.filePath(QStringLiteral("help-found.png")))
        || !search->grab().save(help.filePath(QStringLiteral("help-search.png"))))
        return 1;
    search->hide();

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
