#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class CommonDialog;
class DosPaths;
class QWidget;
class Registry;
class frmAbout;

// The help file commands and the About box.
class HelpCommands : public QObject
{
    Q_OBJECT

public:
    // The About box carries `window`'s icon and finds its tool below `paths`' root.
    HelpCommands(QWidget *window, CommonDialog &dialog, const DosPaths &paths);
    ~HelpCommands() override;

    // The registry the About box reads: on this platform an empty one. Tests give their own,
    // and watch what would be started.
    void setRegistry(std::unique_ptr<Registry> registry);
    void setProgramStarter(std::function<bool(const QString &)> starter);
    frmAbout *about() const;

public Q_SLOTS:
    void Command5_Click();
    void mnuHELP2_Click();
    void mnyPWS_Click();
    void mnuAbout_Click();

private:
    void showHelp(const QString &path);

    QWidget *m_window;
    CommonDialog &m_dialog;
    const DosPaths &m_paths;
    std::unique_ptr<Registry> m_registry;
    std::function<bool(const QString &)> m_startProgram;
    QPointer<frmAbout> m_about;
};
