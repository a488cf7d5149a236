#include "browser/browsercommands.h"

#include "app/form1.h"
#include "browser/frmbrowser.h"

BrowserCommands::BrowserCommands(Form1 &window) : QObject(&window)
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

// A new window at every opening; it deletes itself when closed.
void BrowserCommands::openBrowser()
{
    auto *browser = new frmBrowser;
    browser->StartingAddress = homePage();
    browser->Show();
}
