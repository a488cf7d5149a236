#include "search/searchcommands.h"

#include "search/form2.h"

#include <QWidget>

SearchCommands::SearchCommands(QWidget *mainWindow, TextBox &editor)
    : QObject(mainWindow), m_mainWindow(mainWindow), m_editor(editor)
{
}

SearchCommands::~SearchCommands() = default;

// Nothing in the dialog is reset: it comes back as "Quit" or a minimise left it.
void SearchCommands::EditFind_Click()
{
    if (!m_form2)
        m_form2 = std::make_unique<Form2>(m_mainWindow, m_editor);
    // A dialog the user minimised comes back as it was.
    m_form2->setWindowState(m_form2->windowState() & ~Qt::WindowMinimized);
    m_form2->show();
    m_form2->raise();
    m_form2->activateWindow();
}
