#include "help/helpcommands.h"

#include "app/form1.h"

HelpCommands::HelpCommands(Form1 &window) : QObject(&window), m_window(window)
{
}

// Not built yet: the item and its connection exist, the command does nothing.
void HelpCommands::Command5_Click() {}
void HelpCommands::mnuHELP2_Click() {}
void HelpCommands::mnyPWS_Click() {}
void HelpCommands::mnuAbout_Click() {}
