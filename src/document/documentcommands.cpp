#include "document/documentcommands.h"

#include "app/appinfo.h"
#include "platform/commondialog.h"
#include "platform/dospaths.h"
#include "platform/filebytes.h"
#include "platform/messagebox.h"
#include "platform/textbox.h"

namespace {

// OFN_FILEMUSTEXIST: the chosen file must exist.
constexpr quint32 FileMustExist = 0x1000;

// Texts kept exactly as users have always seen them, the trailing blank included.
const char *const WinIniFailure = "File Open ERROR SORRY! ";
const char *const ProgmanIniFailure = "File Open Error.. SORRY! ";

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
// save dialog starts with it. The editor is written only once the whole file is in memory.
void DocumentCommands::quickLoad(const QString &path, const QString &failureText)
{
    m_dialog.FileName = path;
    m_dialog.Flags = FileMustExist;
    const filebytes::ReadResult read = filebytes::readAll(m_paths.resolve(m_dialog.FileName));
    if (!read.bytes) {
        fail(failureText, m_dialog.FileName);
        return;
    }
    m_editor.setText(*read.bytes);
    m_currentFileName = m_dialog.FileName;
}

void DocumentCommands::fail(const QString &text, const QString &fileName)
{
    msgbox::show(m_window, text + fileName, msgbox::OkOnly, appinfo::title());
    m_currentFileName.clear();
}

// Built with the file dialogs.
void DocumentCommands::FileNew_Click() {}
void DocumentCommands::FileOpen_Click() {}
void DocumentCommands::FileSave_Click() {}
void DocumentCommands::FileSaveAs_Click() {}
