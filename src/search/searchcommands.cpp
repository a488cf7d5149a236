#include "search/searchcommands.h"

#include "app/form1.h"
#include "search/form2.h"

SearchCommands::SearchCommands(Form1 &window) : QObject(&window), m_window(window)
{
}

SearchCommands::~SearchCommands() = default;

// Nothing in the dialog is reset: it comes back as "Quit" left it.
void SearchCommands::EditFind_Click()
{
    if (!m_form2)
        m_form2 = std::make_unique<Form2>(m_window);
    m_form2->show();
    m_form2->raise();
    m_form2->activateWindow();
}
