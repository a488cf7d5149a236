#include "editing/editingcommands.h"

#include "app/form1.h"

EditingCommands::EditingCommands(Form1 &window) : QObject(&window), m_window(window)
{
}

// Not built yet: the item and its connection exist, the command does nothing.
void EditingCommands::EditCopy_Click() {}
void EditingCommands::EditCut_Click() {}
void EditingCommands::EditPaste_Click() {}
void EditingCommands::EditSelect_Click() {}
void EditingCommands::ProcessUpper_Click() {}
void EditingCommands::ProcessLower_Click() {}
void EditingCommands::ProcessNumber_Click() {}
void EditingCommands::CustomFont_Click() {}
void EditingCommands::CustomPage_Click() {}
void EditingCommands::CustomText_Click() {}
