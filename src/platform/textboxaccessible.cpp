#include "platform/textboxaccessible.h"

#include "platform/codepage.h"
#include "platform/textbox.h"
#include "platform/textboxcomponent.h"

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

void TextBoxAccessible::followCaret(TextBoxComponent *component)
{
    QObject::connect(component, &QsciScintillaBase::SCN_UPDATEUI, component, [component](int updated) {
        if (updated & Sci::SC_UPDATE_SELECTION)
            caretOrSelectionMoved(component);
    });
}

// Nothing is done unless an accessibility tool listens. Changes of over a megabyte are made
// without notifications at all (see ChangeScope).
void TextBoxAccessible::inserted(QsciScintilla *component, qint64 offset, QByteArrayView bytes)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextInsertEvent event(component, int(offset), codepage::toUnicode(bytes));
    QAccessible::updateAccessibility(&event);
}

void TextBoxAccessible::removed(QsciScintilla *component, qint64 offset, QByteArrayView bytes)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextRemoveEvent event(component, int(offset), codepage::toUnicode(bytes));
    QAccessible::updateAccessibility(&event);
}

void TextBoxAccessible::caretOrSelectionMoved(TextBoxComponent *component)
{
    if (!QAccessible::isActive())
        return;
    const auto offset = [component](unsigned int message) {
        return int(component->index(component->send(message)));
    };
    // A screen reader follows the caret by its own event (AT-SPI's text-caret-moved); the
    // selection event alone is another signal.
    const int caret = offset(Sci::SCI_GETCURRENTPOS);
    QAccessibleTextCursorEvent moved(component, caret);
    QAccessible::updateAccessibility(&moved);
    QAccessibleTextSelectionEvent selection(component, offset(Sci::SCI_GETSELECTIONSTART),
                                            offset(Sci::SCI_GETSELECTIONEND));
    selection.setCursorPosition(caret);
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

TextBoxComponent *TextBoxAccessible::sci() const
{
    return static_cast<TextBoxComponent *>(widget());
}

int TextBoxAccessible::offset(unsigned int message) const
{
    return int(sci()->index(send(message)));
}

unsigned long TextBoxAccessible::position(int offset) const
{
    return static_cast<unsigned long>(sci()->position(clamp(offset)));
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
        *startOffset = offset(Sci::SCI_GETSELECTIONSTART);
        *endOffset = offset(Sci::SCI_GETSELECTIONEND);
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
    send(Sci::SCI_SETSEL, position(startOffset), long(position(endOffset)));
}

int TextBoxAccessible::cursorPosition() const
{
    return offset(Sci::SCI_GETCURRENTPOS);
}

void TextBoxAccessible::setCursorPosition(int position)
{
    send(Sci::SCI_GOTOPOS, this->position(position));
}

QString TextBoxAccessible::text(int startOffset, int endOffset) const
{
    const int start = clamp(startOffset);
    const int end = std::max(start, clamp(endOffset));
    return codepage::toUnicode(sci()->range(start, end - start));
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
    const long line = sci()->lineOf(offset);
    const int lineStart = int(sci()->lineStart(line));
    const int end = int(sci()->lineStart(line + 1));
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
    return int(std::min<qint64>(sci()->bytes().size(), INT_MAX));
}

QRect TextBoxAccessible::characterRect(int offset) const
{
    const long position = long(this->position(offset));
    const long after = send(Sci::SCI_POSITIONAFTER, static_cast<unsigned long>(position));
    const int x = int(send(Sci::SCI_POINTXFROMPOSITION, 0, position));
    const int y = int(send(Sci::SCI_POINTYFROMPOSITION, 0, position));
    const int next = int(send(Sci::SCI_POINTXFROMPOSITION, 0, after));
    const long line = send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    const int height = int(send(Sci::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
    const QPoint topLeft = sci()->viewport()->mapToGlobal(QPoint(x, y));
    return QRect(topLeft, QSize(std::max(1, next - x), height));
}

int TextBoxAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = sci()->viewport()->mapFromGlobal(point);
    const long position =
        send(Sci::SCI_POSITIONFROMPOINTCLOSE, static_cast<unsigned long>(local.x()), local.y());
    return position < 0 ? -1 : int(sci()->index(position));
}

void TextBoxAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    send(Sci::SCI_SCROLLRANGE, position(endIndex), long(position(startIndex)));
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
