#include "platform/textboxcomponent.h"

#include "platform/textlimits.h"

#include <cstring>
#include <future>

// When the text box wraps: only while a line is wider than the box (see fitWrap() in the
// header). The decision, and what keeps it true between decisions.

void TextBoxComponent::measureText()
{
    m_measured = false;
    fitWrap();
}

// Measured when first needed: an empty box, as at start-up, needs no widths.
const LineFit &TextBoxComponent::fit()
{
    if (!m_measured) {
        m_fit.measure(font, int(send(SCI_GETTABWIDTH)));
        m_measured = true;
    }
    return m_fit;
}

qint64 TextBoxComponent::room() const
{
    return viewport()->width() - send(SCI_GETMARGINLEFT) - send(SCI_GETMARGINRIGHT)
        - send(SCI_GETCARETWIDTH) - 1;
}

// The bytes are read in the two parts they are kept in, before and after their gap: reading
// them whole would close the gap, moving the text after it.
void TextBoxComponent::fitWrap()
{
    if (m_decided) {
        m_wrap = *m_decided;
        m_decided.reset();
    } else if (m_bytes.size() == 0) {
        m_wrap = Wrap::Unneeded;
    } else {
        m_wrap = decide(m_bytes.before(), m_bytes.after(), fit(), room());
    }
    m_roomWidth = viewport()->width();
    applyWrap();
}

// Touches nothing but its arguments: it may run on another thread.
TextBoxComponent::Wrap TextBoxComponent::decide(QByteArrayView before, QByteArrayView after,
                                                const LineFit &widths, qint64 room)
{
    // The line the gap divides, from the last line end before it to the first after it.
    // (An empty part may have no address, which the C library's searches must not be given.)
    const char *lastFeed = textlimits::lastLineEnd(before.data(), before.size());
    const char *firstFeed = textlimits::firstLineEnd(after.data(), after.size());
    const QByteArrayView tail = before.sliced(lastFeed ? lastFeed + 1 - before.data() : 0);
    const QByteArrayView head = after.first(firstFeed ? firstFeed - after.data() : after.size());
    before.chop(tail.size());
    after = after.sliced(head.size());

    // A line too long to wrap is shown unwrapped (see textlimits).
    using textlimits::hasLineLongerThan;
    constexpr qsizetype Longest = textlimits::LongestWrappedLine;
    if (tail.size() + head.size() > Longest || hasLineLongerThan(before, Longest)
        || hasLineLongerThan(after, Longest))
        return Wrap::TooLong;
    const bool fits = widths.width(tail) + widths.width(head) <= room
        && widths.allFit(before, room) && widths.allFit(after, room);
    return fits ? Wrap::Unneeded : Wrap::Words;
}

// On 64 MiB the decision takes 10 ms, which a second core spends while the component takes
// the text in; under about half a megabyte starting a thread would cost more than it saves.
// The new text is shown from its first line when the pause ends, not from the old top line
// (with wrapping on, finding where that line is would lay out every line above it).
void TextBoxComponent::setTextDeciding(QByteArrayView text, const std::function<void()> &setText)
{
    Q_ASSERT(m_pauses > 0);  // the decision is taken at the end of the pause
    m_pausedTopLine = 0;
    constexpr qsizetype Aside = 512 * 1024;
    if (text.size() < Aside) {
        setText();
        return;
    }
    const LineFit &widths = fit();
    const qint64 room = this->room();
    // A future of std::async waits for its thread when it goes, so the thread never outlives
    // the text the caller holds, also when setText throws.
    std::future<Wrap> decision = std::async(std::launch::async, [text, &widths, room] {
        return decide(text, QByteArrayView(), widths, room);
    });
    setText();
    m_decided = decision.get();
}

// A text with a line too long to wrap is shown unwrapped with a horizontal scroll bar, so
// that the other long lines can be reached too; without such a line there is none.
void TextBoxComponent::applyWrap()
{
    if (m_pauses == 0) {
        setWrapMode(m_wrap == Wrap::Words ? SC_WRAP_WORD : SC_WRAP_NONE);
        send(SCI_SETHSCROLLBAR, m_wrap == Wrap::TooLong ? 1 : 0);
        // The width to scroll over only grows as wider lines are drawn: what a line too long to
        // wrap left would let the wheel scroll a text that fits out of sight.
        if (m_wrap != Wrap::TooLong)
            send(SCI_SETSCROLLWIDTH, 1);
    }
}

void TextBoxComponent::setWrapMode(long mode)
{
    if (send(SCI_GETWRAPMODE) == mode)
        return;
    // The component shows its scroll bar only when needed after a change of the wrap mode:
    // meanwhile the box is wider for a moment, which is no new width to fit the text to.
    m_settingMode = true;
    send(SCI_SETWRAPMODE, static_cast<unsigned long>(mode));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_settingMode = false;
}

// Before an insertion or a deletion that joins lines: whether the line it makes may be wider
// than the box. The length of an insertion's UTF-8 bounds its characters.
void TextBoxComponent::beforeChange(int position, int type, int length)
{
    if (m_wrap != Wrap::Unneeded || m_pauses > 0 || !(type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)))
        return;
    const auto lineWidth = [this](long line) {
        const qint64 from = index(send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)));
        const long end = send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1));
        return fit().width(range(from, (end < 0 ? m_bytes.size() : index(end)) - from));
    };
    const long line = send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    qint64 width = lineWidth(line);
    if (type & SC_MOD_BEFOREINSERT) {
        width += qint64(length) * fit().widest();
    } else {
        const long last = send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position + length));
        if (last == line)
            return;
        width += lineWidth(last);
    }
    if (width > room()) {
        m_wrap = Wrap::Words;
        applyWrap();
    }
}

// While wrapping is paused every line is one row high; the line at the top of the box stays
// there.
void TextBoxComponent::pauseWrap()
{
    if (m_pauses++ > 0)
        return;
    m_pausedTopLine = send(SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(send(SCI_GETFIRSTVISIBLELINE)));
    setWrapMode(SC_WRAP_NONE);
}

void TextBoxComponent::resumeWrap()
{
    if (--m_pauses > 0)
        return;
    fitWrap();
    send(SCI_SETFIRSTVISIBLELINE,
         static_cast<unsigned long>(send(SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(m_pausedTopLine))));
}
