#pragma once

#include "platform/hugepages.h"

#include <QtGlobal>

#include <optional>

class TextBoxComponent;

// While wrapping is on, the component lays out every line a change touches at once, at about
// 2.5 MB a second (an undo of a change to a 64 MiB text took over 20 s). With wrapping paused
// during the change, only the lines on screen are laid out afterwards, and the rest as the
// program idles, if the text still needs wrapping at all; pausing costs a few milliseconds on
// 2 million lines. See TextBoxComponent::pauseWrap().
class WrapPause
{
public:
    explicit WrapPause(TextBoxComponent &sci);
    ~WrapPause();
    WrapPause(const WrapPause &) = delete;
    WrapPause &operator=(const WrapPause &) = delete;

private:
    TextBoxComponent &m_sci;
};

// What a change of `size` bytes needs around it: wrapping paused from ManyLines on, and from
// Large on no insert and delete notifications, whose texts would be copied for an
// accessibility client, and the component's large blocks in huge pages (see hugepages.h).
// Every change of the text box's text is made inside one.
class ChangeScope
{
public:
    static constexpr qint64 ManyLines = 16 * 1024;
    static constexpr qint64 Large = 1 << 20;

    ChangeScope(TextBoxComponent &sci, qint64 size);
    ~ChangeScope();
    ChangeScope(const ChangeScope &) = delete;
    ChangeScope &operator=(const ChangeScope &) = delete;

private:
    TextBoxComponent &m_sci;
    bool m_quiet;
    long m_eventMask;
    std::optional<WrapPause> m_pause;
    std::optional<hugepages::ForLargeBlocks> m_largeBlocks;
};
