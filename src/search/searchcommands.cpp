#include "search/searchcommands.h"

#include "search/form2.h"

#include <QWidget>

SearchCommands::SearchCommands(QWidget *mainWindow, TextBox &editor)
    : QObject(mainWindow), m_mainWindow(mainWindow), m_editor(editor)
{
}

SearchCommands::~SearchCommands() = default;

// Nothing in the dialog is reset: it comes back as "Quit" left it.
void SearchCommands::EditFind_Click()
{
    if (!m_form2)
        m_form2 = std::make_unique<Form2>(m_mainWindow, m_editor);
    m_form2->show();
    m_form2->raise();
    m_form2->activateWindow();
}
