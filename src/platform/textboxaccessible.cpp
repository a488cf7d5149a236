#include "platform/textboxaccessible.h"

#include "platform/codepage.h"
#include "platform/textbox.h"

#include <Qsci/qsciscintilla.h>

#include <QTextBoundaryFinder>

#include <algorithm>

using Sci = QsciScintillaBase;

TextBoxAccessible::TextBoxAccessible(QsciScintilla *component)
    : QAccessibleWidget(component, QAccessible::EditableText)
{
}

QAccessibleInterface *TextBoxAccessible::factory(const QString &, QObject *object)
{
    auto *component = qobject_cast<QsciScintilla *>(object);
    if (component && qobject_cast<TextBox *>(component->parentWidget()))
        return new TextBoxAccessible(component);
    return nullptr;
}

void TextBoxAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&TextBoxAccessible::factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void TextBoxAccessible::follow(QsciScintilla *component)
{
    QObject::connect(component, &QsciScintillaBase::SCN_MODIFIED, component,
                     [component](int position, int type, const char *text, int length) {
                         if (type & Sci::SC_MOD_BEFOREINSERT)
                             inserted(component, position, QByteArrayView(text, text ? length : 0));
                         else if (type & Sci::SC_MOD_BEFOREDELETE)
                             removed(component, position, length);
                     });
    QObject::connect(component, &QsciScintillaBase::SCN_UPDATEUI, component, [component](int updated) {
        if (updated & Sci::SC_UPDATE_SELECTION)
            caretOrSelectionMoved(component);
    });
}

namespace {

// The bytes of a range of the document, without closing the gap of the whole buffer.
QByteArrayView range(const QsciScintilla *component, qint64 position, qint64 length)
{
    const auto *bytes = reinterpret_cast<const char *>(component->SendScintilla(
        Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(position), long(length)));
    return QByteArrayView(bytes, bytes ? length : 0);
}

}

// Nothing is done unless an accessibility tool listens. Changes of over a megabyte are made
// without notifications at all (see TextBox).
void TextBoxAccessible::inserted(QsciScintilla *component, qint64 position, QByteArrayView text)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextInsertEvent event(component, int(position), codepage::toUnicode(text));
    QAccessible::updateAccessibility(&event);
}

void TextBoxAccessible::removed(QsciScintilla *component, qint64 position, qint64 length)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextRemoveEvent event(component, int(position),
                                     codepage::toUnicode(range(component, position, length)));
    QAccessible::updateAccessibility(&event);
}

void TextBoxAccessible::caretOrSelectionMoved(QsciScintilla *component)
{
    if (!QAccessible::isActive())
        return;
    const int start = int(component->SendScintilla(Sci::SCI_GETSELECTIONSTART));
    const int end = int(component->SendScintilla(Sci::SCI_GETSELECTIONEND));
    QAccessibleTextSelectionEvent selection(component, start, end);
    selection.setCursorPosition(int(component->SendScintilla(Sci::SCI_GETCURRENTPOS)));
    QAccessible::updateAccessibility(&selection);
}

void *TextBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TextBoxAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

QsciScintilla *TextBoxAccessible::sci() const
{
    return static_cast<QsciScintilla *>(widget());
}

long TextBoxAccessible::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return sci()->SendScintilla(message, wParam, lParam);
}

int TextBoxAccessible::clamp(int offset) const
{
    return std::clamp(offset, 0, characterCount());
}

void TextBoxAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && selectionCount() == 1) {
        *startOffset = int(send(Sci::SCI_GETSELECTIONSTART));
        *endOffset = int(send(Sci::SCI_GETSELECTIONEND));
    }
}

int TextBoxAccessible::selectionCount() const
{
    return send(Sci::SCI_GETSELECTIONEND) > send(Sci::SCI_GETSELECTIONSTART) ? 1 : 0;
}

void TextBoxAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TextBoxAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        send(Sci::SCI_SETEMPTYSELECTION, static_cast<unsigned long>(send(Sci::SCI_GETCURRENTPOS)));
}

void TextBoxAccessible::setSelection(int, int startOffset, int endOffset)
{
    send(Sci::SCI_SETSEL, static_cast<unsigned long>(clamp(startOffset)), clamp(endOffset));
}

int TextBoxAccessible::cursorPosition() const
{
    return int(send(Sci::SCI_GETCURRENTPOS));
}

void TextBoxAccessible::setCursorPosition(int position)
{
    send(Sci::SCI_GOTOPOS, static_cast<unsigned long>(clamp(position)));
}

QString TextBoxAccessible::text(int startOffset, int endOffset) const
{
    const int start = clamp(startOffset);
    const int end = std::max(start, clamp(endOffset));
    return codepage::toUnicode(range(sci(), start, end - start));
}

// Boundaries are found within the line that holds the offset: a line, or a word, sentence or
// paragraph inside it, never by walking the whole document.
QString TextBoxAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int *startOffset, int *endOffset) const
{
    const int count = characterCount();
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > count || count == 0)
        return QString();
    offset = std::min(offset, count - 1);
    if (boundaryType == QAccessible::CharBoundary) {
        *startOffset = offset;
        *endOffset = offset + 1;
        return text(offset, offset + 1);
    }
    if (boundaryType == QAccessible::NoBoundary) {
        *startOffset = 0;
        *endOffset = count;
        return text(0, count);
    }
    const long line = send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(offset));
    const int lineStart = int(send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)));
    const int lineEnd = int(send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1)));
    const int end = lineEnd <= lineStart ? count : lineEnd;
    if (boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::ParagraphBoundary) {
        *startOffset = lineStart;
        *endOffset = end;
        return text(lineStart, end);
    }
    const QString lineText = text(lineStart, end);
    QTextBoundaryFinder finder(boundaryType == QAccessible::WordBoundary
                                   ? QTextBoundaryFinder::Word : QTextBoundaryFinder::Sentence,
                               lineText);
    finder.setPosition(offset - lineStart);
    const int within = finder.isAtBoundary() ? finder.position() : finder.toPreviousBoundary();
    const int after = finder.toNextBoundary();
    *startOffset = lineStart + std::max(within, 0);
    *endOffset = lineStart + (after < 0 ? int(lineText.size()) : after);
    return text(*startOffset, *endOffset);
}

QString TextBoxAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int *startOffset, int *endOffset) const
{
    int start = 0;
    int end = 0;
    textAtOffset(offset, boundaryType, &start, &end);
    if (start <= 0) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    return textAtOffset(start - 1, boundaryType, startOffset, endOffset);
}

QString TextBoxAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int *startOffset, int *endOffset) const
{
    int start = 0;
    int end = 0;
    textAtOffset(offset, boundaryType, &start, &end);
    if (end < 0 || end >= characterCount()) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    return textAtOffset(end, boundaryType, startOffset, endOffset);
}

int TextBoxAccessible::characterCount() const
{
    return int(std::min<long>(send(Sci::SCI_GETLENGTH), INT_MAX));
}

QRect TextBoxAccessible::characterRect(int offset) const
{
    const auto position = static_cast<unsigned long>(clamp(offset));
    const int x = int(send(Sci::SCI_POINTXFROMPOSITION, 0, long(position)));
    const int y = int(send(Sci::SCI_POINTYFROMPOSITION, 0, long(position)));
    const int next = int(send(Sci::SCI_POINTXFROMPOSITION, 0, long(position + 1)));
    const int height = int(send(Sci::SCI_TEXTHEIGHT, static_cast<unsigned long>(
                                    send(Sci::SCI_LINEFROMPOSITION, position))));
    const QPoint topLeft = sci()->viewport()->mapToGlobal(QPoint(x, y));
    return QRect(topLeft, QSize(std::max(1, next - x), height));
}

int TextBoxAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = sci()->viewport()->mapFromGlobal(point);
    return int(send(Sci::SCI_POSITIONFROMPOINTCLOSE, static_cast<unsigned long>(local.x()), local.y()));
}

void TextBoxAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    send(Sci::SCI_SCROLLRANGE, static_cast<unsigned long>(clamp(endIndex)), clamp(startIndex));
}

QString TextBoxAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    Q_UNUSED(offset);
    return QString();
}

void TextBoxAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void TextBoxAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void TextBoxAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    auto *box = static_cast<TextBox *>(sci()->parentWidget());
    const int start = clamp(startOffset);
    const int end = std::max(start, clamp(endOffset));
    const UndoStep step(*box);
    box->replace(start, end - start, codepage::fromUnicode(text));
}
