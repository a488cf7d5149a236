#include "search/form2.h"

#include "shared/appinfo.h"
#include "shared/designcontrol.h"
#include "shared/noroom.h"
#include "platform/codepage.h"
#include "platform/messagebox.h"
#include "platform/textbox.h"
#include "platform/twips.h"
#include "search/finder.h"
#include "search/replaceall.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <limits>

using designcontrol::placed;

namespace {

// What is typed or pasted into a box shows as the code page holds it, as it will be searched
// for: a character the page lacks is '?' at once.
class CodePageValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &position) const override
    {
        const QString held = codepage::held(input);
        if (held.size() != input.size())  // a character beyond the basic plane became one '?'
            position = std::min<int>(position, int(held.size()));
        input = held;
        return Acceptable;
    }
};

}

Form2::Form2(QWidget *mainWindow, TextBox &editor)
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow), m_editor(editor)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Text Search Feature"));
    setWindowIcon(mainWindow->windowIcon());
    setModal(false);
    resize(twips::toPixels(6780), twips::toPixels(1980));

    QFont font(QStringLiteral("MS Sans Serif"));
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Normal);
    setFont(font);

    auto *label2 = placed(new QLabel(QStringLiteral("Replace with"), this), "Label2",
                          QStringLiteral("Replace with"), 60, 540, 1290, 255);
    m_text1 = placed(new QLineEdit(this), "Text1", QStringLiteral("Search for:"),
                     1500, 105, 2115, 285);
    auto *label1 = placed(new QLabel(QStringLiteral("Search for:"), this), "Label1",
                          QStringLiteral("Search for:"), 75, 135, 1320, 240);
    m_text2 = placed(new QLineEdit(this), "Text2", QStringLiteral("Replace with"),
                     1485, 510, 2130, 285);
    // Any length: a text box's default limit of 32767 would cut a long text short unseen.
    m_text1->setMaxLength(std::numeric_limits<int>::max());
    m_text2->setMaxLength(std::numeric_limits<int>::max());
    m_text1->setValidator(new CodePageValidator(m_text1));
    m_text2->setValidator(new CodePageValidator(m_text2));
    label1->setBuddy(m_text1);
    label2->setBuddy(m_text2);
    m_findButton = addButton("FindButton", QStringLiteral("Search"), 4050, 105, 1230, 480);
    m_findNextButton = addButton("FindNextButton", QStringLiteral("Repeat"), 5415, 120, 1305, 480);
    m_replaceButton = addButton("ReplaceButton", QStringLiteral("Replace"), 4065, 600, 1215, 480);
    m_replaceAllButton =
        addButton("ReplaceAllButton", QStringLiteral("Replace All"), 5430, 630, 1275, 480);
    m_command5 = addButton("Command5", QStringLiteral("Quit"), 5460, 1335, 1245, 480);
    m_check1 = placed(new QCheckBox(QStringLiteral("Case sensitive?"), this), "Check1",
                      QStringLiteral("Case sensitive?"), 90, 1260, 2040, 240);

    m_findButton->setDefault(true);
    setReplaceEnabled(false);

    designcontrol::tabOrder({m_text1, m_text2, m_findButton, m_findNextButton, m_replaceButton,
                             m_replaceAllButton, m_command5, m_check1});
    m_text1->setFocus();

    connect(m_findButton, &QPushButton::clicked, this, &Form2::FindButton_Click);
    connect(m_findNextButton, &QPushButton::clicked, this, &Form2::FindNextButton_Click);
    connect(m_replaceButton, &QPushButton::clicked, this, &Form2::ReplaceButton_Click);
    connect(m_replaceAllButton, &QPushButton::clicked, this, &Form2::ReplaceAllButton_Click);
    connect(m_command5, &QPushButton::clicked, this, &Form2::Command5_Click);
}

QPushButton *Form2::addButton(const char *name, const QString &caption, int left, int top,
                              int width, int height)
{
    return placed(new QPushButton(caption, this), name, caption, left, top, width, height);
}

void Form2::FindButton_Click()
{
    FoundPosition = 0;
    searchFrom(FoundPosition + 1);
    if (FoundPosition < 1)
        return notFound();
    setReplaceEnabled(true);
    showHit();
}

// One character after the start of the last hit, not after its end.
void Form2::FindNextButton_Click()
{
    searchFrom(FoundPosition + 1);
    if (FoundPosition < 1)
        return notFound();
    showHit();
}

// Whatever is selected now is replaced, also when the user has moved the selection.
void Form2::ReplaceButton_Click()
{
    TextBox &editor = m_editor;
    {
        const UndoStep step(editor);
        editor.replaceSelection(replacementText());
    }
    searchFrom(FoundPosition + 1);
    if (FoundPosition < 1)
        return notFound();
    showHit();
}

void Form2::ReplaceAllButton_Click()
{
    qint64 replaced = 0;
    {
        const UndoStep step(m_editor);
        replaced = finder::replaceAll(m_editor, searchText(), replacementText(),
                                      FoundPosition + 1, caseSensitive());
    }
    if (replaced < 0)
        return refuseNoRoom(this);
    FoundPosition = 0;
    setReplaceEnabled(false);
    msgbox::show(this, QStringLiteral("Done replacing"), msgbox::OkOnly, appinfo::title());
}

void Form2::Command5_Click()
{
    hide();
}

void Form2::reject()
{
    Command5_Click();
}

void Form2::searchFrom(qint64 start)
{
    FoundPosition = finder::find(m_editor.bytes(), searchText(), start, caseSensitive());
}

void Form2::notFound()
{
    msgbox::show(this, QStringLiteral("String not found"), msgbox::OkOnly, appinfo::title());
    setReplaceEnabled(false);
}

void Form2::showHit()
{
    m_editor.setSelection(FoundPosition - 1, searchText().size());
    m_mainWindow->activateWindow();
    m_mainWindow->raise();
}

void Form2::setReplaceEnabled(bool enabled)
{
    m_replaceButton->setEnabled(enabled);
    m_replaceAllButton->setEnabled(enabled);
}

bool Form2::caseSensitive() const
{
    return m_check1->isChecked();
}

QByteArray Form2::searchText() const
{
    return codepage::fromUnicode(m_text1->text());
}

QByteArray Form2::replacementText() const
{
    return codepage::fromUnicode(m_text2->text());
}
