#include "platform/textboxcomponent.h"

#include "platform/changescope.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/textbox.h"
#include "platform/textboxaccessible.h"

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
            [this](int position, int type, const char *text, int length) {
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

// Near a known place (the two ends of the text, and the last offset found or changed) the
// bytes or characters between are counted, at memory speed; elsewhere the component's count of
// characters per line is used, made when first needed after a load or a change of most of the
// text. Without that count a place is near within Far, with it within Near.
std::optional<TextBoxComponent::Anchor> TextBoxComponent::nearest(qint64 index, long position)
{
    const Anchor ends[] = {{0, 0}, {m_bytes.size(), long(send(SCI_GETLENGTH))}};
    const auto distance = [index, position](const Anchor &a) {
        return index >= 0 ? std::abs(index - a.index) : qint64(std::abs(position - a.position));
    };
    std::optional<Anchor> best;
    for (const Anchor &a : ends) {
        if (!best || distance(a) < distance(*best))
            best = a;
    }
    if (m_anchor && distance(*m_anchor) < distance(*best))
        best = m_anchor;
    if (distance(*best) > (m_indexed ? Near : Far))
        return std::nullopt;
    return best;
}

qint64 TextBoxComponent::index(long position)
{
    settle();
    qint64 index = 0;
    if (const std::optional<Anchor> from = nearest(-1, position)) {
        const auto [low, high] = std::minmax(position, from->position);
        const auto *utf8 = reinterpret_cast<const char *>(SendScintilla(
            SCI_GETRANGEPOINTER, static_cast<unsigned long>(low), long(high - low)));
        const qint64 between = codepage::utf8Characters(QByteArrayView(utf8, high - low));
        index = from->index + (position < from->position ? -between : between);
    } else {
        const long line = send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
        const long start = send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        index = lineStart(line)
            + send(SCI_COUNTCHARACTERS, static_cast<unsigned long>(start), position);
    }
    m_anchor = Anchor{index, position};
    return index;
}

long TextBoxComponent::position(qint64 index)
{
    settle();
    index = std::clamp<qint64>(index, 0, m_bytes.size());
    long position = 0;
    if (const std::optional<Anchor> from = nearest(index, -1)) {
        const auto [low, high] = std::minmax(index, from->index);
        const auto between = long(codepage::utf8Length(m_bytes.range(low, high - low)));
        position = from->position + (index < from->index ? -between : between);
    } else {
        const long line = lineOf(index);
        const qint64 start = lineStart(line);
        position = send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line))
            + long(codepage::utf8Length(m_bytes.range(start, index - start)));
    }
    m_anchor = Anchor{index, position};
    return position;
}

long TextBoxComponent::lineOf(qint64 index)
{
    useIndex();
    return send(SCI_LINEFROMINDEXPOSITION, static_cast<unsigned long>(index),
                SC_LINECHARACTERINDEX_UTF32);
}

qint64 TextBoxComponent::lineStart(long line)
{
    useIndex();
    if (line >= send(SCI_GETLINECOUNT))
        return m_bytes.size();
    return send(SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line),
                SC_LINECHARACTERINDEX_UTF32);
}

void TextBoxComponent::load(const QByteArray &bytes)
{
    // The bytes are set here at the end, not from the component's notifications.
    m_loading = true;
    dropIndex();
    m_anchor.reset();
    send(SCI_CLEARALL);
    // Room for the whole text at once and a sixth more, as the component would make for itself
    // (without it the first key typed moves the whole text); then the text a part at a time
    // through one small buffer: a UTF-8 copy of the whole file would cost its memory and time
    // again. No part ends between a CR and its LF (see joinsLineEnd()).
    const qint64 length = codepage::utf8Length(bytes);
    send(SCI_ALLOCATE, static_cast<unsigned long>(length + length / 6 + 1));
    constexpr qsizetype Part = 1 << 20;
    QByteArray utf8(3 * (Part + 1), Qt::Uninitialized);
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype size = std::min(Part, bytes.size() - at);
        const bool crBeforeLf = at + size < bytes.size() && bytes.at(at + size - 1) == '\r'
            && bytes.at(at + size) == '\n';
        size += crBeforeLf ? 1 : 0;
        const char *end = codepage::toUtf8(QByteArrayView(bytes).sliced(at, size), utf8.data());
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(end - utf8.constData()),
                      utf8.constData());
        at += size;
    }
    m_loading = false;
    m_bytes.assign(bytes);
}

void TextBoxComponent::replaceBytes(qint64 start, qint64 end, QByteArrayView bytes)
{
    if (joinsLineEnd(start, end, bytes)) {
        // The whole line ends replaced instead, which the component counts right.
        QByteArray wider = bytes.toByteArray();
        if (byteAt(start - 1) == '\r') {
            --start;
            wider.prepend('\r');
        }
        if (byteAt(end) == '\n') {
            ++end;
            wider.append('\n');
        }
        replaceBytes(start, end, wider);
        return;
    }
    const long from = position(start);
    const long to = position(end);
    const QByteArray utf8 = codepage::toUtf8(bytes);
    send(SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
    m_inserting = bytes.toByteArray();
    m_told = false;
    // The component asserts on a null text, also of length 0.
    SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(utf8.size()),
                  utf8.isNull() ? "" : utf8.constData());
    m_inserting.reset();
    // Without notifications (see ChangeScope) the bytes change here.
    if (!m_told)
        m_bytes.replace(start, end - start, bytes);
    m_anchor = Anchor{start + bytes.size(), from + long(utf8.size())};
}

// The bytes an insertion brings are the ones replaceBytes() was given, or else those of the
// component's UTF-8: carried by the notification, or, for typed, undone and redone text, which
// it does not carry, read once they are in (see settle()).
void TextBoxComponent::follow(int position, int type, const char *text, int length)
{
    if (!(type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)))
        return;
    m_told = true;
    if (m_loading)
        return;
    const qint64 at = index(position);
    if (type & SC_MOD_BEFOREDELETE) {
        const qint64 end = index(position + length);
        m_reindex = m_reindex || joinsLineEnd(at, end, {});
        TextBoxAccessible::removed(this, at, m_bytes.range(at, end - at));
        m_bytes.replace(at, end - at, QByteArrayView());
    } else if (m_inserting || text) {
        const QByteArray bytes = m_inserting ? *m_inserting : codepage::fromUtf8({text, length});
        m_reindex = m_reindex || joinsLineEnd(at, at, bytes);
        TextBoxAccessible::inserted(this, at, bytes);
        m_bytes.replace(at, 0, bytes);
    } else {
        m_unread = Unread{{at, position}, length};
    }
    // Where the change starts stays a known place; what lay after it has moved.
    m_anchor = Anchor{at, position};
}

void TextBoxComponent::settle()
{
    if (m_unread) {
        const Unread unread = *m_unread;
        m_unread.reset();
        const auto *utf8 = reinterpret_cast<const char *>(SendScintilla(SCI_GETRANGEPOINTER,
            static_cast<unsigned long>(unread.at.position), long(unread.length)));
        const QByteArray bytes = codepage::fromUtf8({utf8, unread.length});
        const qint64 at = unread.at.index;
        m_reindex = m_reindex || joinsLineEnd(at, at, bytes);
        m_bytes.replace(at, 0, bytes);
        TextBoxAccessible::inserted(this, at, bytes);
    }
    if (m_reindex) {
        m_reindex = false;
        dropIndex();
    }
}

// Where each line starts in characters, which are the document's bytes: counted when first
// needed (on 64 MiB, 0.15 s, which would double a load), then kept up to date by the component
// as the text changes.
void TextBoxComponent::useIndex()
{
    if (!m_indexed) {
        m_indexed = true;
        send(SCI_ALLOCATELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF32);
    }
}

void TextBoxComponent::dropIndex()
{
    if (m_indexed)
        send(SCI_RELEASELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF32);
    m_indexed = false;
}

char TextBoxComponent::byteAt(qint64 at)
{
    return at >= 0 && at < m_bytes.size() ? m_bytes.range(at, 1).front() : '\0';
}

// Measured: when a change puts a line feed right after a carriage return, or takes everything
// from between the two, the component's count of characters before each line goes one wrong
// for every line after it, until it is counted again.
bool TextBoxComponent::joinsLineEnd(qint64 start, qint64 end, QByteArrayView inserted)
{
    const char after = byteAt(end);
    return (byteAt(start - 1) == '\r' && (after == '\n' || inserted.startsWith('\n')))
        || (inserted.endsWith('\r') && after == '\n');
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
        QKeyEvent inPage(event->type(), key, event->modifiers(), inCodePage(text),
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
    inPage.setCommitString(inCodePage(event->commitString()), event->replacementStart(),
                           event->replacementLength());
    QsciScintilla::inputMethodEvent(&inPage);
    event->setAccepted(inPage.isAccepted());
}

QString TextBoxComponent::inCodePage(const QString &text)
{
    return codepage::toUnicode(codepage::fromUnicode(text));
}

void TextBoxComponent::undo()
{
    const WrapPause pause(*this);
    QsciScintilla::undo();
    settle();
}

void TextBoxComponent::redo()
{
    const WrapPause pause(*this);
    QsciScintilla::redo();
    settle();
}
