#include "platform/textboxcomponent.h"

#include "platform/changescope.h"
#include "platform/codepage.h"
#include "platform/hugepages.h"
#include "platform/textboxaccessible.h"
#include "platform/textlimits.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <future>
#include <memory>
#include <utility>
#include <vector>

// The document's bytes beside the component's UTF-8 text: offsets and positions converted,
// the whole text loaded, the box's own edits made, and the component's own changes followed.

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
    // The text's length in UTF-8 is counted on the second core while the component lets go
    // of the old text.
    std::future<qint64> counted = std::async(std::launch::async, [&bytes] {
        return codepage::utf8Length(bytes);
    });
    send(SCI_CLEARALL);
    // Room for the whole text at once and a megabyte more, for typing (without it the first
    // key typed moves the whole text; a command that adds more makes room for it first).
    const qint64 length = counted.get();
    const qint64 room = length + std::min<qint64>(length / 6, 1 << 20) + 1;
    send(SCI_ALLOCATE, static_cast<unsigned long>(room));
    // Then the text a part at a time: a UTF-8 copy of the whole file would cost its memory and
    // time again. No part ends between a CR and its LF (see joinsLineEnd()).
    std::vector<QByteArrayView> parts;
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype size = std::min(Part, bytes.size() - at);
        const bool crBeforeLf = at + size < bytes.size() && bytes.at(at + size - 1) == '\r'
            && bytes.at(at + size) == '\n';
        size += crBeforeLf ? 1 : 0;
        parts.push_back(QByteArrayView(bytes).sliced(at, size));
        at += size;
    }
    // Each part's UTF-8 is made on another thread while the component takes in the one before,
    // in two buffers taken in turn (on 64 MiB of Cyrillic, 30 ms of a load's 220).
    std::array<QByteArray, 2> utf8;
    for (QByteArray &buffer : utf8)
        buffer.resize(3 * (Part + 1));
    const auto convert = [&utf8, &parts](size_t k) {
        return std::async(std::launch::async, [&utf8, &parts, k] {
            return codepage::toUtf8(parts[k], utf8[k % 2].data());
        });
    };
    std::future<char *> next;
    if (!parts.empty())
        next = convert(0);
    for (size_t k = 0; k < parts.size(); ++k) {
        const char *end = next.get();
        if (k + 1 < parts.size())
            next = convert(k + 1);
        const char *start = utf8[k % 2].constData();
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(end - start), start);
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
    // Through the program's allocator, which gives a part of megabytes huge pages.
    const qsizetype length = codepage::utf8Length(bytes);
    const std::unique_ptr<char[]> utf8(new char[size_t(length) + 1]);
    codepage::toUtf8(bytes, utf8.get());
    send(SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
    // The notifications change the document's bytes, of which `bytes` may be a part: then
    // the insertion they tell of is a copy.
    QByteArray copy;
    if (send(SCI_GETMODEVENTMASK) != 0)
        copy = bytes.toByteArray();
    m_inserting = copy.isNull() ? bytes : QByteArrayView(copy);
    m_told = false;
    SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(length), utf8.get());
    m_inserting.reset();
    // Without notifications (see ChangeScope) the bytes change here.
    if (!m_told)
        m_bytes.replace(start, end - start, bytes);
    m_anchor = Anchor{start + bytes.size(), from + long(length)};
}

void TextBoxComponent::beginBigChange(qint64 start, qint64 end)
{
    if (end - start < textlimits::bigChange() || send(SCI_GETUNDOCOLLECTION) == 0)
        return;
    // Those undone where no redo reaches any more: a change was made after their undo.
    for (auto kept = m_bigChanges.begin(); kept != m_bigChanges.end();) {
        const bool reached = !kept->second.undone || send(SCI_CANREDO) != 0;
        kept = reached ? std::next(kept) : m_bigChanges.erase(kept);
    }
    try {
        // Its length less the text's, to which the text's length at the end is added.
        const qint64 length = end - start - m_bytes.size();
        m_open = BigChange{start, length, hugepages::copy(range(start, end - start)), false};
    } catch (const std::bad_alloc &) {
        return;
    }
    send(SCI_SETUNDOCOLLECTION, 0);
}

void TextBoxComponent::endBigChange(int depth)
{
    if (!m_open)
        return;
    send(SCI_SETUNDOCOLLECTION, 1);
    for (int i = 0; i < depth; ++i)
        send(SCI_BEGINUNDOACTION);
    m_open->length += m_bytes.size();
    m_bigChanges.emplace(++m_lastToken, std::move(*m_open));
    m_open.reset();
    send(SCI_ADDUNDOACTION, static_cast<unsigned long>(m_lastToken), 0);
}

void TextBoxComponent::forgetBigChanges()
{
    m_bigChanges.clear();
}

// The kept bytes go in a part at a time, as a load puts them, with the component recording
// nothing: its history holds the token already.
void TextBoxComponent::swapDue()
{
    const std::optional<long> token = std::exchange(m_due, std::nullopt);
    const auto kept = token ? m_bigChanges.find(*token) : m_bigChanges.end();
    if (kept == m_bigChanges.end())
        return;
    BigChange &change = kept->second;
    QByteArray now = hugepages::copy(range(change.start, change.length));
    {
        const ChangeScope scope(*this, std::max(now.size(), change.other.size()));
        dropIndex();
        send(SCI_SETUNDOCOLLECTION, 0);
        replaceBytes(change.start, change.start + change.length, QByteArrayView());
        for (qsizetype at = 0; at < change.other.size(); at += Part) {
            const qint64 to = change.start + at;
            replaceBytes(to, to, QByteArrayView(change.other).sliced(at).first(
                                     std::min(Part, change.other.size() - at)));
        }
        send(SCI_SETUNDOCOLLECTION, 1);
    }
    change.length = change.other.size();
    change.other = std::move(now);
    change.undone = !change.undone;
    // The caret where the component puts it after undoing a change: at its start.
    send(SCI_GOTOPOS, static_cast<unsigned long>(position(change.start)));
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
        const QByteArray bytes = m_inserting ? m_inserting->toByteArray()
                                             : codepage::fromUtf8({text, length});
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
