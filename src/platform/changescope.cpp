#include "platform/changescope.h"

#include "platform/textboxcomponent.h"

using Sci = QsciScintillaBase;

WrapPause::WrapPause(TextBoxComponent &sci) : m_sci(sci)
{
    m_sci.pauseWrap();
}

WrapPause::~WrapPause()
{
    m_sci.resumeWrap();
}

ChangeScope::ChangeScope(TextBoxComponent &sci, qint64 size)
    : m_sci(sci), m_quiet(size > Large), m_eventMask(sci.send(Sci::SCI_GETMODEVENTMASK))
{
    if (size > ManyLines)
        m_pause.emplace(sci);
    if (m_quiet) {
        m_sci.send(Sci::SCI_SETMODEVENTMASK, 0UL);
        m_largeBlocks.emplace();
    }
}

ChangeScope::~ChangeScope()
{
    if (m_quiet)
        m_sci.send(Sci::SCI_SETMODEVENTMASK, static_cast<unsigned long>(m_eventMask));
}
