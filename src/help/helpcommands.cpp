#include "help/helpcommands.h"

#include "help/frmabout.h"
#include "platform/commondialog.h"
#include "platform/helpviewer.h"
#include "platform/programstart.h"
#include "platform/registry.h"

#include <QWidget>

HelpCommands::HelpCommands(QWidget *window, CommonDialog &dialog, const DosPaths &paths)
    : QObject(window), m_window(window), m_dialog(dialog), m_paths(paths), m_registry(std::make_unique<MemoryRegistry>()),
      m_startProgram(&programstart::start)
{
}

HelpCommands::~HelpCommands()
{
    delete m_about;
}

frmAbout *HelpCommands::about() const
{
    return m_about;
}

void HelpCommands::setRegistry(std::unique_ptr<Registry> registry)
{
    m_registry = std::move(registry);
}

void HelpCommands::setProgramStarter(std::function<bool(const QString &)> starter)
{
    m_startProgram = std::move(starter);
}

// One About box at a time: made and loaded on first use and again after each close.
void HelpCommands::mnuAbout_Click()
{
    if (!m_about) {
        m_about = new frmAbout(m_paths, *m_registry,
                               [this](const QString &program) { return m_startProgram(program); },
                               m_window->windowIcon());
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void HelpCommands::Command5_Click()
{
    showHelp(QStringLiteral("C:\\Program Files\\Tansy's INI Editor 3.0\\Zeruradu.hlp"));
}

void HelpCommands::mnuHELP2_Click()
{
    showHelp(QStringLiteral("\\Program Files\\Tansy's INI Editor 3.0\\Zeruradu.hlp"));
}

void HelpCommands::mnyPWS_Click()
{
    showHelp(QStringLiteral("\\Program Files\\Tansy's INI Editor 3.0\\Zeruradu.hlp"));
}

// Cancel reporting goes on before the trap; what the command sets stays set for later
// dialogs. Any failure after that ends the command silently.
void HelpCommands::showHelp(const QString &path)
{
    CommonDialog &dialog = m_dialog;
    dialog.CancelError = true;
    try {
        dialog.HelpCommand = HelpViewer::ForceFile;
        dialog.HelpFile = path;
        dialog.ShowHelp();
    } catch (...) {
    }
}
