#include "platform/textbox.h"

#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/textboxaccessible.h"

#include <Qsci/qsciscintilla.h>

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QPalette>
#include <QVBoxLayout>

#include <algorithm>
#include <malloc.h>
#include <optional>
#include <cstring>

class TextBox::Component : public QsciScintilla
{
public:
    explicit Component(QWidget *parent) : QsciScintilla(parent) {}

    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const
    {
        return SendScintilla(message, wParam, lParam);
    }

    QFont font;

    // Undo and redo can change a whole document at once; see WrapPause.
    void undo() override;
    void redo() override;

protected:
    // A text box in a window passes Tab and Shift+Tab on to the next control; Ctrl+Tab
    // still types a tab character.
    bool focusNextPrevChild(bool next) override
    {
        return QAbstractScrollArea::focusNextPrevChild(next);
    }

    // The component's own copy, cut, paste and drag and drop cross to other programs through
    // the code page; left alone it would read the bytes as Latin-1.
    QMimeData *toMimeData(const QByteArray &text, bool rectangular) const override
    {
        QMimeData *data = QsciScintilla::toMimeData(text, rectangular);
        data->setText(codepage::toUnicode(text));
        return data;
    }

    QByteArray fromMimeData(const QMimeData *source, bool &rectangular) const override
    {
        QByteArray bytes = QsciScintilla::fromMimeData(source, rectangular);
        if (source->hasText())
            bytes = codepage::fromUnicode(source->text());
        return bytes;
    }

    // A plain text box's mouse: click, drag, double and triple click, Shift+click. The
    // component's Alt+drag (a rectangle) and Ctrl+click (another selection) act as plain
    // clicks, and Ctrl+wheel scrolls instead of zooming.
    void mousePressEvent(QMouseEvent *event) override
    {
        event->setModifiers(event->modifiers() & Qt::ShiftModifier);
        QsciScintilla::mousePressEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        event->setModifiers(event->modifiers() & Qt::ShiftModifier);
        QsciScintilla::mouseDoubleClickEvent(event);
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        event->setModifiers(event->modifiers() & Qt::ShiftModifier);
        QsciScintilla::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        event->setModifiers(event->modifiers() & Qt::ShiftModifier);
        QsciScintilla::mouseReleaseEvent(event);
    }
    void wheelEvent(QWheelEvent *event) override
    {
        event->setModifiers(event->modifiers() & ~Qt::ControlModifier);
        QsciScintilla::wheelEvent(event);
    }

    // Typed characters go in through the code page too: "€" is 0x80, not "?". The paste
    // keys insert what the clipboard holds exactly as Edit > Paste does; the component's
    // own paste would rewrite its line ends.
    void keyPressEvent(QKeyEvent *event) override
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
};

namespace {

// Changes of more bytes than these are made with wrapping paused (see WrapPause), and without
// the insert and delete notifications, whose texts would be copied for an accessibility client.
constexpr qint64 ManyLines = 16 * 1024;
constexpr qint64 Large = 1 << 20;

// While wrapping is on, the component lays out every line a change touches at once, at about
// 2.5 MB a second (an undo of a change to a 64 MiB text took over 20 s). With wrapping paused
// during the change, only the lines on screen are laid out afterwards, and the rest as the
// program idles; pausing costs a few milliseconds on 2 million lines. The line at the top of
// the box stays there, although meanwhile every line is one row high.
class WrapPause
{
public:
    explicit WrapPause(QsciScintilla &sci)
        : m_sci(sci), m_wrap(sci.SendScintilla(QsciScintillaBase::SCI_GETWRAPMODE)),
          m_topLine(sci.SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                      static_cast<unsigned long>(sci.SendScintilla(
                                          QsciScintillaBase::SCI_GETFIRSTVISIBLELINE))))
    {
        m_sci.SendScintilla(QsciScintillaBase::SCI_SETWRAPMODE, QsciScintillaBase::SC_WRAP_NONE);
    }
    ~WrapPause()
    {
        m_sci.SendScintilla(QsciScintillaBase::SCI_SETWRAPMODE, static_cast<unsigned long>(m_wrap));
        // Changing the wrap mode makes the component show its scroll bar only when needed.
        m_sci.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m_sci.SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE,
                            static_cast<unsigned long>(m_sci.SendScintilla(
                                QsciScintillaBase::SCI_VISIBLEFROMDOCLINE,
                                static_cast<unsigned long>(m_topLine))));
    }
    WrapPause(const WrapPause &) = delete;
    WrapPause &operator=(const WrapPause &) = delete;

private:
    QsciScintilla &m_sci;
    long m_wrap;
    long m_topLine;
};

// What a change of `size` bytes needs around it: wrapping paused from ManyLines on, the
// notifications off from Large on.
class ChangeScope
{
public:
    ChangeScope(QsciScintilla &sci, qint64 size)
        : m_sci(sci), m_quiet(size > Large),
          m_eventMask(sci.SendScintilla(QsciScintillaBase::SCI_GETMODEVENTMASK))
    {
        if (size > ManyLines)
            m_pause.emplace(sci);
        if (m_quiet)
            m_sci.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL);
    }
    ~ChangeScope()
    {
        if (m_quiet)
            m_sci.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK,
                                static_cast<unsigned long>(m_eventMask));
    }
    ChangeScope(const ChangeScope &) = delete;
    ChangeScope &operator=(const ChangeScope &) = delete;

private:
    QsciScintilla &m_sci;
    bool m_quiet;
    long m_eventMask;
    std::optional<WrapPause> m_pause;
};

// A plain text box's keys and nothing more: the component's own map would also duplicate,
// cut, delete and swap lines (Ctrl+D, Ctrl+L, Ctrl+Shift+L, Ctrl+T), change case by itself
// (Ctrl+U), zoom (Ctrl+plus), type over (Insert) and make rectangles (Alt+Shift+arrows).
// Undo, redo, paste and Ctrl+Tab are Component::keyPressEvent's; typed characters are not keys.
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

// The component reports changes before it makes them, and never after: its own handling of
// the after-notifications counts characters from the start of the document on each (on
// 64 MiB, 170 ms a key). No other bit may be in the mask: a notification passes when any of
// its bits is, and the after-notifications carry the "performed by" bits too.
constexpr unsigned long ChangeEvents =
    QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE;

}

TextBox::TextBox(QWidget *parent)
    : QFrame(parent), m_component(nullptr)
{
    // Installed before the component exists, so its own interface is never made.
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(&TextBoxAccessible::factory);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    m_component = new Component(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_component);
    setFocusProxy(m_component);
    setFocusPolicy(Qt::StrongFocus);

    Component &sci = *m_component;
    // A document without style bytes: no lexer colours the text, and on a large file the
    // styles would double the memory and the time of every load.
    const long document = sci.send(QsciScintillaBase::SCI_CREATEDOCUMENT, 0,
                                   QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE);
    sci.send(QsciScintillaBase::SCI_SETDOCPOINTER, 0, document);
    sci.send(QsciScintillaBase::SCI_RELEASEDOCUMENT, 0, document);
    sci.setUtf8(false);
    sci.setEolMode(QsciScintilla::EolWindows);
    sci.setMargins(0);
    setPlainKeys(sci);
    sci.setWrapMode(QsciScintilla::WrapWord);
    sci.send(QsciScintillaBase::SCI_SETHSCROLLBAR, 0);
    sci.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sci.send(QsciScintillaBase::SCI_SETMODEVENTMASK, ChangeEvents);
    Component *component = m_component;
    connect(component, &QsciScintillaBase::SCN_MODIFIED, this,
            [component](int position, int type, const char *text, int length) {
                if (type & QsciScintillaBase::SC_MOD_BEFOREINSERT)
                    TextBoxAccessible::inserted(component, position, QByteArrayView(text, text ? length : 0));
                else if (type & QsciScintillaBase::SC_MOD_BEFOREDELETE)
                    TextBoxAccessible::removed(component, position, length);
            });
    connect(component, &QsciScintillaBase::SCN_UPDATEUI, this, [component](int updated) {
        if (updated & QsciScintillaBase::SC_UPDATE_SELECTION)
            TextBoxAccessible::caretOrSelectionMoved(component);
    });

    // What the user's clipboard holds goes in as it is: line ends are not rewritten.
    sci.send(QsciScintillaBase::SCI_SETPASTECONVERTENDINGS, 0);
    setTextFont(QApplication::font());
    setBackColor(palette().color(QPalette::Base));
    setForeColor(palette().color(QPalette::Text));
    // The selection in the desktop's own colours, text included, so that it stays readable
    // on any page and text colour the user picks.
    sci.setSelectionBackgroundColor(palette().color(QPalette::Highlight));
    sci.setSelectionForegroundColor(palette().color(QPalette::HighlightedText));
}

namespace {

// The component lays a line out whole, measuring every character, whenever it paints, wraps
// or moves the caret on it: about 2.5 MB a second here, so one 50 MB line took 20 s for each
// paint. A line longer than LongestWrappedLine is shown without wrapping (each wrap costs a
// layout more); a text with a line longer than LongestLine is not taken at all.
constexpr qsizetype LongestWrappedLine = 256 * 1024;
constexpr qsizetype LongestLine = 1024 * 1024;

// Each step looks for the last line feed within `limit` bytes after the previous one: a text
// of short lines is crossed in steps of `limit` bytes, not one call per line.
bool hasLineLongerThan(QByteArrayView bytes, qsizetype limit)
{
    const char *start = bytes.data();
    const char *end = start + bytes.size();
    while (end - start > limit) {
        const auto *feed = static_cast<const char *>(::memrchr(start, '\n', size_t(limit + 1)));
        if (!feed)
            return true;
        start = feed + 1;
    }
    return false;
}

}

TextBox::~TextBox() = default;

bool TextBox::canHold(QByteArrayView bytes)
{
    return bytes.size() <= capacity() && !hasLineLongerThan(bytes, LongestLine);
}

qint64 TextBox::capacity()
{
    constexpr qint64 Largest = qint64(1) << 30;
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return Largest;
    for (const QByteArray &line : meminfo.readAll().split('\n')) {
        if (line.startsWith("MemAvailable:")) {
            const qint64 kib = line.mid(13).trimmed().split(' ').value(0).toLongLong();
            if (kib > 0)
                return std::min(Largest, kib * 1024 / 3);
        }
    }
    return Largest;
}

// The component's own buffer, gap closed; valid until the next change of the text.
static const char *characters(const QsciScintilla &sci)
{
    return static_cast<const char *>(
        sci.SendScintillaPtrResult(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
}

QByteArray TextBox::text() const
{
    return bytes().toByteArray();
}

QByteArrayView TextBox::bytes() const
{
    return QByteArrayView(characters(*m_component), length());
}

void TextBox::setText(const QByteArray &bytes)
{
    Component &sci = *m_component;
    // Wrapping while the text goes in costs seconds on a few megabytes; wrapping afterwards is
    // lazy. Insert and delete notifications only feed the component's accessibility layer,
    // which counts characters from the start on each one.
    const long eventMask = sci.send(QsciScintillaBase::SCI_GETMODEVENTMASK);
    sci.send(QsciScintillaBase::SCI_SETWRAPMODE, QsciScintillaBase::SC_WRAP_NONE);
    sci.send(QsciScintillaBase::SCI_SETMODEVENTMASK, 0);
    sci.send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);

    sci.send(QsciScintillaBase::SCI_CLEARALL);
    sci.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(bytes.size()),
                      bytes.constData());

    forgetUndo();
    sci.send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1);
    sci.send(QsciScintillaBase::SCI_SETMODEVENTMASK, static_cast<unsigned long>(eventMask));
    // The caret to the start without asking the component to bring it into view, which would
    // lay out the first line.
    sci.send(QsciScintillaBase::SCI_SETEMPTYSELECTION, 0);
    sci.send(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 0);
    sci.send(QsciScintillaBase::SCI_SETXOFFSET, 0);
    const bool wrap = !hasLineLongerThan(bytes, LongestWrappedLine);
    sci.send(QsciScintillaBase::SCI_SETWRAPMODE,
             wrap ? QsciScintillaBase::SC_WRAP_WORD : QsciScintillaBase::SC_WRAP_NONE);
    // Changing the wrap mode makes the component show its scroll bar only when needed.
    sci.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

bool TextBox::wraps() const
{
    return m_component->send(QsciScintillaBase::SCI_GETWRAPMODE) != QsciScintillaBase::SC_WRAP_NONE;
}

qint64 TextBox::firstVisibleLine() const
{
    return m_component->send(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                             static_cast<unsigned long>(m_component->send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE)));
}

qint64 TextBox::length() const
{
    return m_component->send(QsciScintillaBase::SCI_GETLENGTH);
}

qint64 TextBox::selStart() const
{
    return m_component->send(QsciScintillaBase::SCI_GETSELECTIONSTART);
}

qint64 TextBox::selLength() const
{
    return m_component->send(QsciScintillaBase::SCI_GETSELECTIONEND) - selStart();
}

QByteArray TextBox::selectedText() const
{
    return QByteArray(characters(*m_component) + selStart(), selLength());
}

void TextBox::setSelection(qint64 start, qint64 length)
{
    const qint64 size = this->length();
    start = std::clamp<qint64>(start, 0, size);
    length = std::clamp<qint64>(length, 0, size - start);
    m_component->send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(start),
                      long(start + length));
}

void TextBox::replaceSelection(QByteArrayView bytes)
{
    const qint64 start = selStart();
    replaceRange(start, start + selLength(), bytes);
    setSelection(start + bytes.size(), 0);
}

void TextBox::replace(qint64 start, qint64 length, QByteArrayView bytes)
{
    replaceRange(start, start + length, bytes);
}

qint64 TextBox::rewrite(qint64 start, qint64 end, const Part &part, qint64 growth)
{
    Component &sci = *m_component;
    // One byte more: the component grows its buffer (by a sixth) when an insertion would fill
    // the room exactly.
    if (growth > 0)
        sci.send(QsciScintillaBase::SCI_ALLOCATE, static_cast<unsigned long>(length() + growth + 1));
    const ChangeScope change(sci, std::max(end - start, end - start + growth));
    QByteArray into;
    into.reserve(std::min<qint64>(PartSize + PartSize / 4, end - start + std::max<qint64>(growth, 0)));
    // Each part is replaced where the previous one ended, which is where the component's gap
    // is: reading the rest and replacing it move no text.
    for (qint64 at = start; at < end;) {
        into.resize(0);  // keeps its memory, unlike clear()
        const qsizetype used = part(range(at, end - at), into);
        Q_ASSERT(used > 0 && used <= end - at);
        if (used <= 0 || used > end - at)
            break;
        replaceTarget(at, at + used, into);
        at += into.size();
        end += into.size() - used;
    }
    return end;
}

// The text from `start`, contiguous, without moving the component's gap unless it lies inside.
QByteArrayView TextBox::range(qint64 start, qint64 length) const
{
    const long pointer = m_component->send(QsciScintillaBase::SCI_GETRANGEPOINTER,
                                           static_cast<unsigned long>(start), long(length));
    return QByteArrayView(reinterpret_cast<const char *>(pointer), length);
}

void TextBox::replaceRange(qint64 start, qint64 end, QByteArrayView bytes)
{
    const ChangeScope change(*m_component, std::max<qint64>(bytes.size(), end - start));
    replaceTarget(start, end, bytes);
}

void TextBox::replaceTarget(qint64 start, qint64 end, QByteArrayView bytes)
{
    Component &sci = *m_component;
    sci.send(QsciScintillaBase::SCI_SETTARGETSTART, static_cast<unsigned long>(start));
    sci.send(QsciScintillaBase::SCI_SETTARGETEND, static_cast<unsigned long>(end));
    // The component asserts on a null text, also of length 0.
    sci.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(bytes.size()),
                      bytes.data() ? bytes.data() : "");
}

void TextBox::beginUndoStep()
{
    m_component->send(QsciScintillaBase::SCI_BEGINUNDOACTION);
}

void TextBox::endUndoStep()
{
    m_component->send(QsciScintillaBase::SCI_ENDUNDOACTION);
}

bool TextBox::isUndoAvailable() const
{
    return m_component->isUndoAvailable();
}

void TextBox::undo()
{
    m_component->undo();
}

void TextBox::forgetUndo()
{
    m_component->send(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    // The history, hundreds of megabytes after a whole-text change of a large file, goes back
    // to the C library in pieces, which it would otherwise keep in the program's memory.
    ::malloc_trim(0);
}

void TextBox::Component::undo()
{
    const WrapPause pause(*this);
    QsciScintilla::undo();
}

void TextBox::Component::redo()
{
    const WrapPause pause(*this);
    QsciScintilla::redo();
}

QWidget *TextBox::inputWidget() const
{
    return m_component;
}

// What the text is drawn with (every byte has style 0), on top of the font last set for the
// parts the component does not draw (strikeout).
QFont TextBox::textFont() const
{
    const Component &sci = *m_component;
    QFont font = sci.font;
    QByteArray family(256, '\0');
    sci.SendScintilla(QsciScintillaBase::SCI_STYLEGETFONT, 0UL, family.data());
    font.setFamilies({QString::fromUtf8(family.constData())});
    font.setPointSizeF(sci.send(QsciScintillaBase::SCI_STYLEGETSIZEFRACTIONAL) / 100.0);
    // The component keeps the weight on Qt's scale, negated to tell it from its own.
    font.setWeight(static_cast<QFont::Weight>(std::abs(sci.send(QsciScintillaBase::SCI_STYLEGETWEIGHT))));
    font.setItalic(sci.send(QsciScintillaBase::SCI_STYLEGETITALIC) != 0);
    font.setUnderline(sci.send(QsciScintillaBase::SCI_STYLEGETUNDERLINE) != 0);
    return font;
}

void TextBox::setTextFont(const QFont &font)
{
    m_component->font = font;
    m_component->setFont(font);
}

QColor TextBox::backColor() const
{
    return m_component->paper();
}

void TextBox::setBackColor(const QColor &color)
{
    m_component->setPaper(color);
}

QColor TextBox::foreColor() const
{
    return m_component->color();
}

// The caret takes the text's colour, so it shows on any page colour the text shows on.
void TextBox::setForeColor(const QColor &color)
{
    m_component->setColor(color);
    m_component->setCaretForegroundColor(color);
}
