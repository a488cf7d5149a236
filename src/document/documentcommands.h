#pragma once

#include <QObject>
#include <QString>

class CommonDialog;
class DosPaths;
class TextBox;
class QWidget;

// The document file commands of the main window: the quick-load buttons and the File menu's
// New, Open, Save and Save As. Holds the current file name, the path Save writes to without
// asking; empty means no file is known.
class DocumentCommands : public QObject
{
    Q_OBJECT

public:
    DocumentCommands(QWidget *window, TextBox &editor, CommonDialog &dialog, const DosPaths &paths);

    const QString &currentFileName() const { return m_currentFileName; }

public Q_SLOTS:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void FileNew_Click();
    void FileOpen_Click();
    void FileSave_Click();
    void FileSaveAs_Click();

private:
    void quickLoad(const QString &path, const QString &failureText);
    bool chooseFile(quint32 flags, const char *filter, bool (CommonDialog::*show)());
    bool load(const QString &fileName);
    bool save(const QString &fileName);
    void fail(const QString &text, const QString &fileName);

    QWidget *m_window;
    TextBox &m_editor;
    CommonDialog &m_dialog;
    const DosPaths &m_paths;
    QString m_currentFileName;
};
