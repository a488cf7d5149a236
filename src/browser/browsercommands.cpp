#include "browser/browsercommands.h"

#include "shared/appinfo.h"
#include "browser/browsermodule.h"
#include "platform/messagebox.h"

#include <QWidget>

BrowserCommands::BrowserCommands(QWidget *window) : QObject(window), m_window(window)
{
}

QString BrowserCommands::homePage()
{
    return QStringLiteral("qrc:/browser/home.html");
}

void BrowserCommands::Command7_Click()
{
    openBrowser();
}

void BrowserCommands::Label1_Click()
{
    openBrowser();
}

void BrowserCommands::mnuNET_Click()
{
    openBrowser();
}

// A new window at every opening. Should the browser's library be missing from the
// installation, the user is told so rather than left with a click that does nothing.
void BrowserCommands::openBrowser()
{
    QString why;
    if (!browsermodule::open(homePage(), &why))
        msgbox::show(m_window, QStringLiteral("The web browser cannot be opened: ") + why,
                     msgbox::OkOnly, appinfo::title());
}
