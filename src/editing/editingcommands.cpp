#include "editing/editingcommands.h"

#include "editing/numberlines.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/commondialog.h"
#include "platform/textbox.h"

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
    const UndoStep step(editor);
    editor.replaceSelection(clipboard::text());
}

void EditingCommands::EditSelect_Click()
{
    TextBox &editor = m_editor;
    editor.setSelection(0, editor.length());
}

void EditingCommands::ProcessUpper_Click()
{
    convertSelection(codepage::upperTable());
}

void EditingCommands::ProcessLower_Click()
{
    convertSelection(codepage::lowerTable());
}

// The same span is selected afterwards. Only the part from the first to the last changed
// character is replaced: on a whole large document that keeps the undo history small.
void EditingCommands::convertSelection(const unsigned char *table)
{
    TextBox &editor = m_editor;
    const qint64 start = editor.selStart();
    const qint64 length = editor.selLength();
    const QByteArrayView selected = editor.bytes().sliced(start, length);
    const auto *in = reinterpret_cast<const unsigned char *>(selected.data());

    qint64 first = 0;
    while (first < length && table[in[first]] == in[first])
        ++first;
    qint64 last = length;
    while (last > first && table[in[last - 1]] == in[last - 1])
        --last;
    if (first == last)
        return;

    {
        const UndoStep step(editor);
        editor.rewrite(start + first, start + last, [table](QByteArrayView rest, QByteArray &into) {
            const qsizetype taken = std::min(rest.size(), TextBox::PartSize);
            into.resize(taken);
            const auto *old = reinterpret_cast<const unsigned char *>(rest.data());
            for (qsizetype i = 0; i < taken; ++i)
                into[i] = char(table[old[i]]);
            return taken;
        });
    }
    editor.setSelection(start, length);
}

// Whole lines a part at a time; the caret ends at the start.
void EditingCommands::ProcessNumber_Click()
{
    TextBox &editor = m_editor;
    qint64 line = 1;
    {
        const UndoStep step(editor);
        editor.rewrite(0, editor.length(), [&line](QByteArrayView rest, QByteArray &into) {
            qsizetype taken = rest.size();
            if (taken > TextBox::PartSize) {
                // To the last line end in a part's length, or the first one after it.
                const char *data = rest.data();
                const void *feed = ::memrchr(data, '\n', size_t(TextBox::PartSize));
                if (!feed)
                    feed = std::memchr(data + TextBox::PartSize, '\n', size_t(taken - TextBox::PartSize));
                if (feed)
                    taken = static_cast<const char *>(feed) - data + 1;
            }
            line = numberLines(rest.first(taken), line, into);
            return taken;
        }, numberedSize(editor.bytes()) - editor.length());
    }
    editor.setSelection(0, 0);
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
