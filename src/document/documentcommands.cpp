#include "document/documentcommands.h"

#include "shared/appinfo.h"
#include "platform/commondialog.h"
#include "platform/dospaths.h"
#include "platform/filebytes.h"
#include "platform/messagebox.h"
#include "platform/safesave.h"
#include "platform/textbox.h"
#include "platform/textlimits.h"

namespace {

// Texts kept exactly as users have always seen them, misspelling and trailing blank included.
const char *const WinIniFailure = "File Open ERROR SORRY! ";
const char *const ProgmanIniFailure = "File Open Error.. SORRY! ";
const char *const OpenFailure = "Unkown error while opening file ";
const char *const SaveFailure = "Unkown error while saving file ";

}

DocumentCommands::DocumentCommands(QWidget *window, TextBox &editor, CommonDialog &dialog,
                                   const DosPaths &paths)
    : QObject(window), m_window(window), m_editor(editor), m_dialog(dialog), m_paths(paths)
{
}

void DocumentCommands::Command1_Click()
{
    quickLoad(QStringLiteral("/windows/win.ini"), QString::fromLatin1(WinIniFailure));
}

void DocumentCommands::Command2_Click()
{
    quickLoad(QStringLiteral("/windows/system.ini"), QString::fromLatin1(WinIniFailure));
}

void DocumentCommands::Command3_Click()
{
    quickLoad(QStringLiteral("/windows/progman.ini"), QString::fromLatin1(ProgmanIniFailure));
}

// The path goes through the common dialog and is read back from it, so the next open or
// save dialog starts with it.
void DocumentCommands::quickLoad(const QString &path, const QString &failureText)
{
    m_dialog.FileName = path;
    m_dialog.Flags = CommonDialog::FileMustExist;
    const QString found = m_paths.resolve(m_dialog.FileName);
    if (!load(found)) {
        fail(failureText, m_dialog.FileName);
        return;
    }
    setCurrentFile(m_dialog.FileName, found);
}

// New asks nothing, so it is one undo step: an accidental New loses nothing.
void DocumentCommands::FileNew_Click()
{
    {
        const UndoStep step(m_editor);
        const BigChange change(m_editor, 0, m_editor.length());
        m_editor.replace(0, m_editor.length(), QByteArrayView());
    }
    setCurrentFile(QString(), QString());
}

void DocumentCommands::FileOpen_Click()
{
    if (!chooseFile(CommonDialog::FileMustExist, "INI Files|*.INI|All files|*.*",
                    &CommonDialog::ShowOpen))
        return;
    if (!load(m_dialog.FileName)) {
        fail(QString::fromLatin1(OpenFailure), m_dialog.FileName);
        return;
    }
    setCurrentFile(m_dialog.FileName, m_dialog.FileName);
}

void DocumentCommands::FileSave_Click()
{
    if (m_currentFileName.isEmpty()) {
        FileSaveAs_Click();
        return;
    }
    if (!save(m_currentFile))
        fail(QString::fromLatin1(SaveFailure), m_currentFileName);
}

void DocumentCommands::FileSaveAs_Click()
{
    if (!chooseFile(CommonDialog::OverwritePrompt, "Text files|*.TXT|All files|*.*",
                    &CommonDialog::ShowSave))
        return;
    if (!save(m_dialog.FileName)) {
        fail(QString::fromLatin1(SaveFailure), m_dialog.FileName);
        return;
    }
    setCurrentFile(m_dialog.FileName, m_dialog.FileName);
}

// Sets up the common dialog in the order the file commands always have (cancel reporting,
// flags, default extension, filter; never the file name) and shows it. False on a cancel.
bool DocumentCommands::chooseFile(quint32 flags, const char *filter, bool (CommonDialog::*show)())
{
    m_dialog.CancelError = true;
    m_dialog.Flags = flags;
    m_dialog.DefaultExt = QStringLiteral("TXT");
    m_dialog.Filter = QString::fromLatin1(filter);
    try {
        (m_dialog.*show)();
    } catch (const CommonDialogCancel &) {
        return false;
    }
    return true;
}

// The editor is written only once the whole file is in memory, so a failing load never
// leaves part of a file in it. The old text's undo history goes as soon as the file has been
// opened and found to be one the editor may take, lines included (read once for that, at
// memory speed, when there is a history to let go of): the history of a whole-text change
// and the new file (on 64 MiB, 64 MB each) are then never in memory together. A file refused
// keeps the text and its history; only a read that fails after that (an I/O error) keeps the
// text without its undo steps.
bool DocumentCommands::load(const QString &file)
{
    const filebytes::ReadResult read =
        filebytes::readAll(file, textlimits::capacity(), [this, &file] {
            if (!m_editor.isUndoAvailable())
                return true;
            if (textlimits::fileHasLineLongerThan(file, textlimits::LongestLine))
                return false;
            m_editor.forgetUndo();
            return true;
        });
    if (!read.bytes || !textlimits::canHold(*read.bytes))
        return false;
    m_editor.setText(*read.bytes);
    return true;
}

bool DocumentCommands::save(const QString &file)
{
    return safesave::write(file, m_editor.bytes()).ok;
}

void DocumentCommands::setCurrentFile(const QString &name, const QString &file)
{
    m_currentFileName = name;
    m_currentFile = file;
}

void DocumentCommands::fail(const QString &text, const QString &fileName)
{
    msgbox::show(m_window, text + fileName, msgbox::OkOnly, appinfo::title());
    setCurrentFile(QString(), QString());
}
