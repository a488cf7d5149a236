#pragma once

#include <QDialog>

#include <functional>

class DosPaths;
class QLabel;
class QPushButton;
class Registry;

// The About box: title, version, description and the way to the system information tool,
// whose place it reads from the registry. Modeless, without an owner; destroyed when closed.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    using ProgramStarter = std::function<bool(const QString &program)>;

    frmAbout(const DosPaths &paths, Registry &registry, ProgramStarter startProgram,
             const QIcon &icon);

    void StartSysInfo();
    // Reads one value; true when it was read. Throws RegistryValueEmpty for a value of size 0.
    bool GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                     QString &KeyVal);

public Q_SLOTS:
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    void Form_Load();

    const DosPaths &m_paths;
    Registry &m_registry;
    ProgramStarter m_startProgram;
    QLabel *m_lblTitle;
    QLabel *m_lblVersion;
};
