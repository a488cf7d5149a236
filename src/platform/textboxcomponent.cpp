#include "platform/textboxcomponent.h"

#include "platform/changescope.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/textbox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QWheelEvent>

namespace {

// A plain text box's keys and nothing more: the component's own map would also duplicate,
// cut, delete and swap lines (Ctrl+D, Ctrl+L, Ctrl+Shift+L, Ctrl+T), change case by itself
// (Ctrl+U), zoom (Ctrl+plus), type over (Insert) and make rectangles (Alt+Shift+arrows).
// Undo, redo, the clipboard keys and Ctrl+Tab are keyPressEvent()'s; typed characters are not
// keys.
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
    drawInCodePage(*this);
    setEolMode(EolWindows);
    setMargins(0);
    setPlainKeys(*this);
    // No horizontal scroll bar: long lines wrap (see fitWrap() and applyWrap()). The width the
    // component scrolls sideways over is that of the widest line drawn, so that while nothing
    // wraps there is nothing to scroll to.
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
    // Each change, before the component makes it: whether wrapping must go on, then the
    // document's bytes and what a screen reader is told.
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char *text, int length, int, int, int, int,
                   int token) {
                if (type & SC_MOD_CONTAINER) {
                    m_due = token;
                    return;
                }
                settle();
                beforeChange(position, type, length);
                follow(position, type, text, length);
            });
}

void TextBoxComponent::drawInCodePage(QsciScintilla &sci)
{
    sci.setUtf8(true);
    // Only CR, LF and CR LF end a line, as in the file; never a Unicode line separator.
    sci.SendScintilla(SCI_SETLINEENDTYPESALLOWED, SC_LINE_END_TYPE_DEFAULT);
    // A byte the page leaves undefined shows as its value in a box, like a control character.
    for (int byte = 0x80; byte < 0x100; ++byte) {
        if (!codepage::isUndefined(static_cast<unsigned char>(byte)))
            continue;
        const QByteArray character = codepage::toUtf8(QByteArray(1, char(byte)));
        const QByteArray shown = "x" + QByteArray::number(byte, 16).toUpper();
        sci.SendScintilla(SCI_SETREPRESENTATION, character.constData(), shown.constData());
    }
}

void TextBoxComponent::resizeEvent(QResizeEvent *event)
{
    QsciScintilla::resizeEvent(event);
    if (viewport()->width() != m_roomWidth && m_wrap != Wrap::TooLong && m_pauses == 0 && !m_settingMode)
        fitWrap();
}

// The component tells of typed, dropped and pasted text before it goes in, and without the
// text: it is read as soon as the event that brought it has been handled.
bool TextBoxComponent::event(QEvent *event)
{
    const bool handled = QsciScintilla::event(event);
    settle();
    return handled;
}

bool TextBoxComponent::viewportEvent(QEvent *event)
{
    const bool handled = QsciScintilla::viewportEvent(event);
    settle();
    return handled;
}

// A text box in a window passes Tab and Shift+Tab on to the next control; Ctrl+Tab
// still types a tab character.
bool TextBoxComponent::focusNextPrevChild(bool next)
{
    return QAbstractScrollArea::focusNextPrevChild(next);
}

// Drag and drop within the box and to and from other programs: the text the component
// drags is the page's characters already; what is dropped becomes the page's characters, '?'
// for one it lacks.
QMimeData *TextBoxComponent::toMimeData(const QByteArray &text, bool rectangular) const
{
    QMimeData *data = QsciScintilla::toMimeData(text, rectangular);
    data->setText(QString::fromUtf8(text));
    return data;
}

QByteArray TextBoxComponent::fromMimeData(const QMimeData *source, bool &rectangular) const
{
    QByteArray utf8 = QsciScintilla::fromMimeData(source, rectangular);
    if (source->hasText())
        utf8 = codepage::toUtf8(codepage::fromUnicode(source->text()));
    return utf8;
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

// Typed characters go in through the code page too: under 1252 "€" is 0x80, "я" is "?". The
// clipboard keys do what Edit > Copy, Cut and Paste do; the component's own copy turns a NUL
// into a space, and its paste would rewrite line ends.
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
    auto *box = static_cast<TextBox *>(parentWidget());
    const bool copy = event->matches(QKeySequence::Copy);
    if (copy || event->matches(QKeySequence::Cut)) {
        if (box->selLength() > 0) {
            clipboard::setText(box->selectedText());
            if (!copy) {
                const UndoStep step(*box);
                box->replaceSelection(QByteArrayView());
            }
        }
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        const QByteArray text = clipboard::text();
        event->accept();
        if (!box->makeRoom(text.size() - box->selLength())) {
            if (box->noRoom)
                box->noRoom();
            return;
        }
        const UndoStep step(*box);
        box->replaceSelection(text);
        return;
    }
    const QString text = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier
                                               | Qt::MetaModifier);
    if (!command && !text.isEmpty() && text.at(0).isPrint()) {
        QKeyEvent inPage(event->type(), key, event->modifiers(), codepage::held(text),
                         event->isAutoRepeat(), ushort(event->count()));
        QsciScintilla::keyPressEvent(&inPage);
        event->setAccepted(inPage.isAccepted());
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

// Text from an input method goes in as the page's characters; what it shows while it is
// being composed stays as the method shows it.
void TextBoxComponent::inputMethodEvent(QInputMethodEvent *event)
{
    QInputMethodEvent inPage(event->preeditString(), event->attributes());
    inPage.setCommitString(codepage::held(event->commitString()), event->replacementStart(),
                           event->replacementLength());
    QsciScintilla::inputMethodEvent(&inPage);
    event->setAccepted(inPage.isAccepted());
}

void TextBoxComponent::undo()
{
    const WrapPause pause(*this);
    QsciScintilla::undo();
    settle();
    swapDue();
}

void TextBoxComponent::redo()
{
    const WrapPause pause(*this);
    QsciScintilla::redo();
    settle();
    swapDue();
}
