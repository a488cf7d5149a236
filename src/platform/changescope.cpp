#include "platform/changescope.h"

#include <Qsci/qsciscintilla.h>

using Sci = QsciScintillaBase;

WrapPause::WrapPause(QsciScintilla &sci)
    : m_sci(sci), m_wrap(sci.SendScintilla(Sci::SCI_GETWRAPMODE)),
      m_topLine(sci.SendScintilla(Sci::SCI_DOCLINEFROMVISIBLE,
                                  static_cast<unsigned long>(sci.SendScintilla(Sci::SCI_GETFIRSTVISIBLELINE))))
{
    m_sci.SendScintilla(Sci::SCI_SETWRAPMODE, Sci::SC_WRAP_NONE);
}

WrapPause::~WrapPause()
{
    m_sci.SendScintilla(Sci::SCI_SETWRAPMODE, static_cast<unsigned long>(m_wrap));
    // Changing the wrap mode makes the component show its scroll bar only when needed.
    m_sci.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_sci.SendScintilla(Sci::SCI_SETFIRSTVISIBLELINE,
                        static_cast<unsigned long>(m_sci.SendScintilla(
                            Sci::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(m_topLine))));
}

ChangeScope::ChangeScope(QsciScintilla &sci, qint64 size)
    : m_sci(sci), m_quiet(size > Large), m_eventMask(sci.SendScintilla(Sci::SCI_GETMODEVENTMASK))
{
    if (size > ManyLines)
        m_pause.emplace(sci);
    if (m_quiet)
        m_sci.SendScintilla(Sci::SCI_SETMODEVENTMASK, 0UL);
}

ChangeScope::~ChangeScope()
{
    if (m_quiet)
        m_sci.SendScintilla(Sci::SCI_SETMODEVENTMASK, static_cast<unsigned long>(m_eventMask));
}
