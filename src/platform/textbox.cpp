#include "platform/textbox.h"

#include "platform/changescope.h"
#include "platform/hugepages.h"
#include "platform/textboxaccessible.h"
#include "platform/textboxcomponent.h"
#include "platform/textlimits.h"

#include <QApplication>
#include <QtEndian>
#include <QPalette>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <malloc.h>
#include <vector>

namespace {

quint64 word(const char *at)
{
    return qFromLittleEndian<quint64>(at);
}

// The first offset from `i` where `a` and `b` differ, or `stop`.
qsizetype nextDifference(const char *a, const char *b, qsizetype i, qsizetype stop)
{
    for (; i + 8 <= stop; i += 8) {
        if (const quint64 x = word(a + i) ^ word(b + i))
            return i + qCountTrailingZeroBits(x) / 8;
    }
    for (; i < stop; ++i) {
        if (a[i] != b[i])
            return i;
    }
    return stop;
}

// Changes closer than this are replaced as one run: the component's replacement costs about
// as much as rewriting a kilobyte.
constexpr qsizetype Apart = 1024;

// From `i`, where `a` and `b` differ, to just after the last difference that is followed by
// Apart equal bytes, or by `stop`.
qsizetype endOfRun(const char *a, const char *b, qsizetype i, qsizetype stop)
{
    qsizetype last = i;
    for (++i; i < stop && i - last <= Apart;) {
        if (i + 8 <= stop) {
            if (const quint64 x = word(a + i) ^ word(b + i))
                last = i + 7 - qCountLeadingZeroBits(x) / 8;
            i += 8;
        } else {
            if (a[i] != b[i])
                last = i;
            ++i;
        }
    }
    return last + 1;
}

// The component reports changes before it makes them, and never after: its own handling of
// the after-notifications counts characters from the start of the document on each (on
// 64 MiB, 170 ms a key). No other bit may be in the mask: a notification passes when any of
// its bits is, and the after-notifications carry the "performed by" bits too. Besides, the
// undo and redo of a big change, which no other notification carries (see BigChange).
constexpr unsigned long ChangeEvents = QsciScintillaBase::SC_MOD_BEFOREINSERT
    | QsciScintillaBase::SC_MOD_BEFOREDELETE | QsciScintillaBase::SC_MOD_CONTAINER;

}

TextBox::TextBox(QWidget *parent)
    : QFrame(parent), m_component(nullptr)
{
    // Before the component exists, so that its own interface is never made.
    TextBoxAccessible::install();
    m_component = new TextBoxComponent(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_component);
    setFocusProxy(m_component);
    setFocusPolicy(Qt::StrongFocus);

    TextBoxComponent &sci = *m_component;
    sci.send(QsciScintillaBase::SCI_SETMODEVENTMASK, ChangeEvents);
    TextBoxAccessible::followCaret(m_component);
    setTextFont(QApplication::font());
    setBackColor(palette().color(QPalette::Base));
    setForeColor(palette().color(QPalette::Text));
    // The selection in the desktop's own colours, text included, so that it stays readable
    // on any page and text colour the user picks.
    sci.setSelectionBackgroundColor(palette().color(QPalette::Highlight));
    sci.setSelectionForegroundColor(palette().color(QPalette::HighlightedText));
}

TextBox::~TextBox() = default;

QByteArray TextBox::text() const
{
    return bytes().toByteArray();
}

QByteArrayView TextBox::bytes() const
{
    return m_component->bytes().view();
}

void TextBox::setText(const QByteArray &bytes)
{
    TextBoxComponent &sci = *m_component;
    {
        // Wrapping while the text goes in costs seconds on a few megabytes; afterwards it is
        // lazy, and only if a line needs it. A load is no step for Undo.
        const WrapPause pause(sci);
        const ChangeScope change(sci, std::max<qint64>(length(), bytes.size()));
        sci.send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
        sci.setTextDeciding(bytes, [&sci, &bytes] { sci.load(bytes); });
        forgetUndo();
        sci.send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1);
    }
    // The caret to the start without asking the component to bring it into view, which would
    // lay out the first line; the first line is at the top already.
    sci.send(QsciScintillaBase::SCI_SETEMPTYSELECTION, 0);
    sci.send(QsciScintillaBase::SCI_SETXOFFSET, 0);
}

bool TextBox::wraps() const
{
    return m_component->send(QsciScintillaBase::SCI_GETWRAPMODE) != QsciScintillaBase::SC_WRAP_NONE;
}

qint64 TextBox::length() const
{
    return m_component->bytes().size();
}

qint64 TextBox::selStart() const
{
    return m_component->index(m_component->send(QsciScintillaBase::SCI_GETSELECTIONSTART));
}

qint64 TextBox::selLength() const
{
    const long end = m_component->send(QsciScintillaBase::SCI_GETSELECTIONEND);
    return m_component->index(end) - selStart();
}

QByteArray TextBox::selectedText() const
{
    return m_component->range(selStart(), selLength()).toByteArray();
}

void TextBox::setSelection(qint64 start, qint64 length)
{
    const qint64 size = this->length();
    start = std::clamp<qint64>(start, 0, size);
    length = std::clamp<qint64>(length, 0, size - start);
    m_component->send(QsciScintillaBase::SCI_SETSEL,
                      static_cast<unsigned long>(m_component->position(start)),
                      m_component->position(start + length));
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
    TextBoxComponent &sci = *m_component;
    const ChangeScope change(sci, std::max(end - start, end - start + growth));
    if (2 * (end - start) > length())
        sci.dropIndex();
    QByteArray into;
    into.reserve(std::min<qint64>(PartSize + PartSize / 4, end - start + std::max<qint64>(growth, 0)));
    // Each part is replaced where the previous one ended, which is where the component's gap
    // is: reading the rest and replacing it move no text.
    for (qint64 at = start; at < end;) {
        into.resize(0);  // keeps its memory, unlike clear()
        const QByteArrayView rest = m_component->range(at, end - at);
        const qsizetype used = part(rest, into);
        Q_ASSERT(used > 0 && used <= end - at);
        if (used <= 0 || used > end - at)
            break;
        replaceChanges(at, rest.first(used), into);
        at += into.size();
        end += into.size() - used;
    }
    return end;
}

// One byte more: the component grows its buffer (by a sixth) when an insertion would fill the
// room exactly. Its UTF-8 grows as much more as it is longer than the bytes.
bool TextBox::makeRoom(qint64 growth)
{
    if (growth <= 0)
        return true;
    if (length() + growth > textlimits::capacity())
        return false;
    TextBoxComponent &sci = *m_component;
    const hugepages::ForLargeBlocks largeBlocks;
    try {
        sci.bytes().reserve(growth);
    } catch (const std::bad_alloc &) {
        return false;
    }
    const qint64 utf8 = sci.send(QsciScintillaBase::SCI_GETLENGTH);
    const qint64 utf8Growth = length() > 0 ? growth * utf8 / length() : growth;
    sci.send(QsciScintillaBase::SCI_ALLOCATE, static_cast<unsigned long>(utf8 + utf8Growth + 1));
    // The component reports a failed allocation in its status, keeping its text.
    const bool allocated =
        sci.send(QsciScintillaBase::SCI_GETSTATUS) != QsciScintillaBase::SC_STATUS_BADALLOC;
    sci.send(QsciScintillaBase::SCI_SETSTATUS, QsciScintillaBase::SC_STATUS_OK);
    return allocated;
}

// Only what a part changes goes to the component: the part less the bytes it starts and ends
// with unchanged and, where the old and the new bytes are as long, each run of changes apart
// (runs closer than Apart bytes taken together). The text between runs stays where it is: a
// Replace All of hits kilobytes apart rewrites the hits, not the whole text (on 64 MiB of
// Cyrillic, 0.34 s before).
void TextBox::replaceChanges(qint64 at, QByteArrayView old, QByteArrayView now)
{
    const char *a = old.data();
    const char *b = now.data();
    const qsizetype common = std::min(old.size(), now.size());
    const qsizetype head = nextDifference(a, b, 0, common);
    if (old.size() == now.size() && head == common)
        return;
    if (old.size() != now.size()) {
        qsizetype tail = 0;
        while (tail < common - head && a[old.size() - 1 - tail] == b[now.size() - 1 - tail])
            ++tail;
        const qsizetype changed = now.size() - head - tail;
        replaceTarget(at + head, at + old.size() - tail, now.sliced(head, changed));
        return;
    }
    // All found before the first goes in, which moves the bytes `old` shows.
    std::vector<std::pair<qsizetype, qsizetype>> runs;
    for (qsizetype from = head; from < common;) {
        const qsizetype to = endOfRun(a, b, from, common);
        runs.emplace_back(from, to);
        from = nextDifference(a, b, to, common);
    }
    for (const auto &[from, to] : runs)
        replaceTarget(at + from, at + to, now.sliced(from, to - from));
}

void TextBox::replaceRange(qint64 start, qint64 end, QByteArrayView bytes)
{
    const ChangeScope change(*m_component, std::max<qint64>(bytes.size(), end - start));
    replaceTarget(start, end, bytes);
}

void TextBox::replaceTarget(qint64 start, qint64 end, QByteArrayView bytes)
{
    m_component->replaceBytes(start, end, bytes);
}

void TextBox::beginUndoStep()
{
    ++m_undoDepth;
    m_component->send(QsciScintillaBase::SCI_BEGINUNDOACTION);
}

void TextBox::endUndoStep()
{
    --m_undoDepth;
    m_component->send(QsciScintillaBase::SCI_ENDUNDOACTION);
}

void TextBox::beginBigChange(qint64 start, qint64 end)
{
    m_component->beginBigChange(start, end);
}

void TextBox::endBigChange()
{
    m_component->endBigChange(m_undoDepth);
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
    m_component->forgetBigChanges();
    // The history, hundreds of megabytes after a whole-text change of a large file, goes back
    // to the C library in pieces, which it would otherwise keep in the program's memory.
    ::malloc_trim(0);
}

QWidget *TextBox::inputWidget() const
{
    return m_component;
}

// What the text is drawn with (every byte has style 0), on top of the font last set for the
// parts the component does not draw (strikeout).
QFont TextBox::textFont() const
{
    const TextBoxComponent &sci = *m_component;
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
    m_component->measureText();
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
