#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class Form1;
class Registry;
class frmAbout;

// The help file commands and the About box.
class HelpCommands : public QObject
{
    Q_OBJECT

public:
    explicit HelpCommands(Form1 &window);
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

    Form1 &m_window;
    std::unique_ptr<Registry> m_registry;
    std::function<bool(const QString &)> m_startProgram;
    QPointer<frmAbout> m_about;
};
