#pragma once

#include <QObject>
#include <QString>

class CommonDialog;
class DosPaths;
class TextBox;
class QWidget;

// The document file commands of the main window: the quick-load buttons and the File menu's
// New, Open, Save and Save As. Holds the current file name, the name Save writes to without
// asking (empty when no file is known), and the file it stands for: a name from a file
// dialog is that file; a quick-load's fixed DOS path stands for the file found for it.
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
    // `file` is a real path, used as it is.
    bool load(const QString &file);
    bool save(const QString &file);
    void setCurrentFile(const QString &name, const QString &file);
    void fail(const QString &text, const QString &fileName);

    QWidget *m_window;
    TextBox &m_editor;
    CommonDialog &m_dialog;
    const DosPaths &m_paths;
    QString m_currentFileName;
    QString m_currentFile;
};
