#include "editing/editingcommands.h"

#include "editing/casechange.h"
#include "editing/numberlines.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/commondialog.h"
#include "platform/textbox.h"
#include "shared/noroom.h"

#include <QColor>
#include <QFont>

#include <algorithm>
#include <cstring>

namespace {

// The platform's font dialog flags: list screen and printer fonts, no effects.
constexpr quint32 ScreenAndPrinterFonts = 3;

}

EditingCommands::EditingCommands(QObject *parent, TextBox &editor, CommonDialog &dialog)
    : QObject(parent), m_editor(editor), m_dialog(dialog)
{
    editor.noRoom = [&editor] { refuseNoRoom(editor.window()); };
}

void EditingCommands::EditCopy_Click()
{
    clipboard::setText(m_editor.selectedText());
}

void EditingCommands::EditCut_Click()
{
    TextBox &editor = m_editor;
    clipboard::setText(editor.selectedText());
    const UndoStep step(editor);
    editor.replaceSelection(QByteArrayView());
}

void EditingCommands::EditPaste_Click()
{
    TextBox &editor = m_editor;
    const QByteArray text = clipboard::text();
    if (!editor.makeRoom(text.size() - editor.selLength()))
        return refuseNoRoom(editor.window());
    const UndoStep step(editor);
    editor.replaceSelection(text);
}

void EditingCommands::EditSelect_Click()
{
    TextBox &editor = m_editor;
    editor.setSelection(0, editor.length());
}

void EditingCommands::ProcessUpper_Click()
{
    changeCase(m_editor, codepage::upperTable());
}

void EditingCommands::ProcessLower_Click()
{
    changeCase(m_editor, codepage::lowerTable());
}

void EditingCommands::ProcessNumber_Click()
{
    if (!numberLines(m_editor))
        refuseNoRoom(m_editor.window());
}

// A cancel leaves the editor as it was, whether or not cancel reporting is on.
void EditingCommands::CustomFont_Click()
{
    CommonDialog &dialog = m_dialog;
    dialog.Flags = ScreenAndPrinterFonts;
    try {
        if (!dialog.ShowFont())
            return;
    } catch (const CommonDialogCancel &) {
        return;
    }
    TextBox &editor = m_editor;
    QFont font = editor.textFont();
    font.setFamilies({dialog.FontName});
    font.setBold(dialog.FontBold);
    font.setItalic(dialog.FontItalic);
    font.setPointSizeF(dialog.FontSize);
    editor.setTextFont(font);
}

void EditingCommands::CustomPage_Click()
{
    chooseColor(&TextBox::setBackColor);
}

void EditingCommands::CustomText_Click()
{
    chooseColor(&TextBox::setForeColor);
}

void EditingCommands::chooseColor(void (TextBox::*apply)(const QColor &))
{
    CommonDialog &dialog = m_dialog;
    try {
        if (dialog.ShowColor())
            (m_editor.*apply)(CommonDialog::color(dialog.Color));
    } catch (const CommonDialogCancel &) {
    }
}
