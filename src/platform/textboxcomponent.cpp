#include "platform/textboxcomponent.h"

#include "platform/changescope.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/textbox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QWheelEvent>

namespace {

// A plain text box's keys and nothing more: the component's own map would also duplicate,
// cut, delete and swap lines (Ctrl+D, Ctrl+L, Ctrl+Shift+L, Ctrl+T), change case by itself
// (Ctrl+U), zoom (Ctrl+plus), type over (Insert) and make rectangles (Alt+Shift+arrows).
// Undo, redo, paste and Ctrl+Tab are keyPressEvent()'s; typed characters are not keys.
void setPlainKeys(QsciScintilla &sci)
{
    using Sci = QsciScintillaBase;
    constexpr int Shift = Sci::SCMOD_SHIFT << 16;
    constexpr int Ctrl = Sci::SCMOD_CTRL << 16;
    // Each movement, then the same with Shift extending the selection.
    const struct { int key; int move; int extend; } movements[] = {
        {Sci::SCK_LEFT, Sci::SCI_CHARLEFT, Sci::SCI_CHARLEFTEXTEND},
        {Sci::SCK_RIGHT, Sci::SCI_CHARRIGHT, Sci::SCI_CHARRIGHTEXTEND},
        {Sci::SCK_UP, Sci::SCI_LINEUP, Sci::SCI_LINEUPEXTEND},
        {Sci::SCK_DOWN, Sci::SCI_LINEDOWN, Sci::SCI_LINEDOWNEXTEND},
        {Sci::SCK_LEFT | Ctrl, Sci::SCI_WORDLEFT, Sci::SCI_WORDLEFTEXTEND},
        {Sci::SCK_RIGHT | Ctrl, Sci::SCI_WORDRIGHT, Sci::SCI_WORDRIGHTEXTEND},
        {Sci::SCK_UP | Ctrl, Sci::SCI_PARAUP, Sci::SCI_PARAUPEXTEND},
        {Sci::SCK_DOWN | Ctrl, Sci::SCI_PARADOWN, Sci::SCI_PARADOWNEXTEND},
        // Home and End go to the ends of the row on screen, as in any wrapping text box.
        {Sci::SCK_HOME, Sci::SCI_HOMEDISPLAY, Sci::SCI_HOMEDISPLAYEXTEND},
        {Sci::SCK_END, Sci::SCI_LINEENDDISPLAY, Sci::SCI_LINEENDDISPLAYEXTEND},
        {Sci::SCK_HOME | Ctrl, Sci::SCI_DOCUMENTSTART, Sci::SCI_DOCUMENTSTARTEXTEND},
        {Sci::SCK_END | Ctrl, Sci::SCI_DOCUMENTEND, Sci::SCI_DOCUMENTENDEXTEND},
        {Sci::SCK_PRIOR, Sci::SCI_PAGEUP, Sci::SCI_PAGEUPEXTEND},
        {Sci::SCK_NEXT, Sci::SCI_PAGEDOWN, Sci::SCI_PAGEDOWNEXTEND},
    };
    const struct { int key; int command; } commands[] = {
        {Sci::SCK_BACK, Sci::SCI_DELETEBACK},
        {Sci::SCK_BACK | Shift, Sci::SCI_DELETEBACK},
        {Sci::SCK_DELETE, Sci::SCI_CLEAR},
        {Sci::SCK_BACK | Ctrl, Sci::SCI_DELWORDLEFT},
        {Sci::SCK_DELETE | Ctrl, Sci::SCI_DELWORDRIGHT},
        {Sci::SCK_RETURN, Sci::SCI_NEWLINE},
        {Sci::SCK_RETURN | Shift, Sci::SCI_NEWLINE},
        {'C' | Ctrl, Sci::SCI_COPY},
        {Sci::SCK_INSERT | Ctrl, Sci::SCI_COPY},
        {'X' | Ctrl, Sci::SCI_CUT},
        {Sci::SCK_DELETE | Shift, Sci::SCI_CUT},
        {'A' | Ctrl, Sci::SCI_SELECTALL},
    };
    sci.SendScintilla(Sci::SCI_CLEARALLCMDKEYS);
    for (const auto &m : movements) {
        sci.SendScintilla(Sci::SCI_ASSIGNCMDKEY, static_cast<unsigned long>(m.key), long(m.move));
        sci.SendScintilla(Sci::SCI_ASSIGNCMDKEY, static_cast<unsigned long>(m.key | Shift),
                          long(m.extend));
    }
    for (const auto &c : commands)
        sci.SendScintilla(Sci::SCI_ASSIGNCMDKEY, static_cast<unsigned long>(c.key), long(c.command));

    // One stream selection: no rectangles, no further selections, no caret beyond a line's end.
    sci.SendScintilla(Sci::SCI_SETSELECTIONMODE, Sci::SC_SEL_STREAM);
    sci.SendScintilla(Sci::SCI_SETMULTIPLESELECTION, 0UL);
    sci.SendScintilla(Sci::SCI_SETADDITIONALSELECTIONTYPING, 0UL);
    sci.SendScintilla(Sci::SCI_SETMOUSESELECTIONRECTANGULARSWITCH, 0UL);
    sci.SendScintilla(Sci::SCI_SETVIRTUALSPACEOPTIONS, Sci::SCVS_NONE);
    sci.SendScintilla(Sci::SCI_SETOVERTYPE, 0UL);
    sci.SendScintilla(Sci::SCI_SETZOOM, 0UL);
    // Nothing typed is completed, indented or matched.
    sci.setAutoCompletionSource(QsciScintilla::AcsNone);
    sci.setCallTipsStyle(QsciScintilla::CallTipsNone);
    sci.setAutoIndent(false);
    sci.setBraceMatching(QsciScintilla::NoBraceMatch);
}

}

TextBoxComponent::TextBoxComponent(QWidget *parent) : QsciScintilla(parent)
{
    // A document without style bytes: no lexer colours the text, and on a large file the
    // styles would double the memory and the time of every load.
    const long document = send(SCI_CREATEDOCUMENT, 0, SC_DOCUMENTOPTION_STYLES_NONE);
    send(SCI_SETDOCPOINTER, 0, document);
    send(SCI_RELEASEDOCUMENT, 0, document);
    setUtf8(false);
    setEolMode(EolWindows);
    setMargins(0);
    setPlainKeys(*this);
    // No horizontal scroll bar: long lines wrap (see fitWrap()). The width the component
    // scrolls sideways over (with a sideways wheel) is that of the widest line drawn, so that
    // while nothing wraps there is nothing to scroll to.
    send(SCI_SETHSCROLLBAR, 0);
    send(SCI_SETSCROLLWIDTH, 1);
    send(SCI_SETSCROLLWIDTHTRACKING, 1);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // What the user's clipboard holds goes in as it is: line ends are not rewritten.
    send(SCI_SETPASTECONVERTENDINGS, 0);
    // The component's own setting keeps the layout of every line it has wrapped: after the
    // background wrap of a large file, some 400 bytes a line (900 MB for 64 MB of INI lines).
    // The lines on screen are all a text box needs to keep.
    send(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    // Only changes within one line's reach are seen here; a larger change pauses wrapping
    // and decides again at its end.
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char *, int length) {
                beforeChange(position, type, length);
            });
}

QByteArrayView TextBoxComponent::range(qint64 start, qint64 length) const
{
    return QByteArrayView(reinterpret_cast<const char *>(send(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start),
                                                              long(length))),
                          length);
}

void TextBoxComponent::resizeEvent(QResizeEvent *event)
{
    QsciScintilla::resizeEvent(event);
    if (viewport()->width() != m_roomWidth && m_wrap != Wrap::TooLong && m_pauses == 0 && !m_settingMode)
        fitWrap();
}

// A text box in a window passes Tab and Shift+Tab on to the next control; Ctrl+Tab
// still types a tab character.
bool TextBoxComponent::focusNextPrevChild(bool next)
{
    return QAbstractScrollArea::focusNextPrevChild(next);
}

// The component's own copy, cut, paste and drag and drop cross to other programs through
// the code page; left alone it would read the bytes as Latin-1.
QMimeData *TextBoxComponent::toMimeData(const QByteArray &text, bool rectangular) const
{
    QMimeData *data = QsciScintilla::toMimeData(text, rectangular);
    data->setText(codepage::toUnicode(text));
    return data;
}

QByteArray TextBoxComponent::fromMimeData(const QMimeData *source, bool &rectangular) const
{
    QByteArray bytes = QsciScintilla::fromMimeData(source, rectangular);
    if (source->hasText())
        bytes = codepage::fromUnicode(source->text());
    return bytes;
}

namespace {

QMouseEvent *withShiftAlone(QMouseEvent *event)
{
    event->setModifiers(event->modifiers() & Qt::ShiftModifier);
    return event;
}

}

// A plain text box's mouse: click, drag, double and triple click, Shift+click. The
// component's Alt+drag (a rectangle) and Ctrl+click (another selection) act as plain
// clicks, and Ctrl+wheel scrolls instead of zooming.
void TextBoxComponent::mousePressEvent(QMouseEvent *event)
{
    QsciScintilla::mousePressEvent(withShiftAlone(event));
}
void TextBoxComponent::mouseDoubleClickEvent(QMouseEvent *event)
{
    QsciScintilla::mouseDoubleClickEvent(withShiftAlone(event));
}
void TextBoxComponent::mouseMoveEvent(QMouseEvent *event)
{
    QsciScintilla::mouseMoveEvent(withShiftAlone(event));
}
void TextBoxComponent::mouseReleaseEvent(QMouseEvent *event)
{
    QsciScintilla::mouseReleaseEvent(withShiftAlone(event));
}
void TextBoxComponent::wheelEvent(QWheelEvent *event)
{
    event->setModifiers(event->modifiers() & ~Qt::ControlModifier);
    QsciScintilla::wheelEvent(event);
}

// Typed characters go in through the code page too: "€" is 0x80, not "?". The paste
// keys insert what the clipboard holds exactly as Edit > Paste does; the component's
// own paste would rewrite its line ends.
void TextBoxComponent::keyPressEvent(QKeyEvent *event)
{
    // The component's own undo keys would bypass undo() and redo().
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((key == Qt::Key_Z && mods == Qt::ControlModifier)
        || (key == Qt::Key_Backspace && mods == Qt::AltModifier)) {
        undo();
        event->accept();
        return;
    }
    if ((key == Qt::Key_Y && mods == Qt::ControlModifier)
        || (key == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier))
        || (key == Qt::Key_Backspace && mods == (Qt::AltModifier | Qt::ShiftModifier))) {
        redo();
        event->accept();
        return;
    }
    // Tab moves the focus; Ctrl+Tab types a tab in place of the selection, never the
    // component's indenting of the selected lines.
    if (key == Qt::Key_Tab && mods == Qt::ControlModifier) {
        SendScintilla(SCI_REPLACESEL, 0UL, "\t");
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        auto *box = static_cast<TextBox *>(parentWidget());
        const UndoStep step(*box);
        box->replaceSelection(clipboard::text());
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier
                                               | Qt::MetaModifier);
    if (!command && !text.isEmpty() && text.at(0).isPrint()
        && codepage::fromUnicode(text) != text.toLatin1()) {
        const QByteArray bytes = codepage::fromUnicode(text);
        SendScintilla(SCI_REPLACESEL, 0UL, bytes.constData());
        event->accept();
        return;
    }
    if (command) {
        // A key with Ctrl, Alt or Meta that is not one of the box's keys types nothing;
        // the component would type its character.
        QKeyEvent keyOnly(event->type(), key, event->modifiers(), QString(),
                          event->isAutoRepeat(), ushort(event->count()));
        QsciScintilla::keyPressEvent(&keyOnly);
        event->setAccepted(keyOnly.isAccepted());
        return;
    }
    QsciScintilla::keyPressEvent(event);
}

void TextBoxComponent::undo()
{
    const WrapPause pause(*this);
    QsciScintilla::undo();
}

void TextBoxComponent::redo()
{
    const WrapPause pause(*this);
    QsciScintilla::redo();
}
