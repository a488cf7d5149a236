#include "browser/browsercommands.h"

#include "app/form1.h"

BrowserCommands::BrowserCommands(Form1 &window) : QObject(&window), m_window(window)
{
}

// Not built yet: the item and its connection exist, the command does nothing.
void BrowserCommands::Command7_Click() {}
void BrowserCommands::Label1_Click() {}
void BrowserCommands::mnuNET_Click() {}
