#include "shared/appinfo.h"
#include "app/form1.h"
#include "browser/browsermodule.h"

#include <QApplication>

#include <vector>

int main(int argc, char *argv[])
{
    // What the web engine is to be told comes after the program's own arguments, as the
    // engine reads them from the application's; the program reads none.
    std::vector<char *> arguments(argv, argv + argc);
    for (const char *argument : browsermodule::prepareProcess())
        arguments.push_back(const_cast<char *>(argument));
    arguments.push_back(nullptr);
    int count = int(arguments.size()) - 1;
    QApplication app(count, arguments.data());
    QApplication::setApplicationName(QStringLiteral("tansy-ini-editor"));
    QApplication::setOrganizationName(QStringLiteral("Tansy"));
    QApplication::setDesktopFileName(QStringLiteral("org.tansy.IniEditor"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(appinfo::Major).arg(appinfo::Minor).arg(appinfo::Revision));

    Form1 window;
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    const int code = app.exec();
    // Windows closed with the program are destroyed before the engine behind the browser
    // windows shuts down.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}
