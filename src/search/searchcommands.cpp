#include "search/searchcommands.h"

#include "app/form1.h"

SearchCommands::SearchCommands(Form1 &window) : QObject(&window), m_window(window)
{
}

// Not built yet: the item and its connection exist, the command does nothing.
void SearchCommands::EditFind_Click() {}
