#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TextBox;

// The search and replace dialog: modeless, without an owner, created once and hidden by
// "Quit" with all its state kept. It works on the main window's editor through its selection.
class Form2 : public QDialog
{
    Q_OBJECT

public:
    // Works on `editor`; `mainWindow`, the editor's window, is activated to show a hit.
    Form2(QWidget *mainWindow, TextBox &editor);

    // 1-based position where the last hit begins; 0 when there is none.
    qint64 foundPosition() const { return FoundPosition; }

public Q_SLOTS:
    void FindButton_Click();
    void FindNextButton_Click();
    void ReplaceButton_Click();
    void ReplaceAllButton_Click();
    void Command5_Click();

    // Escape and the close box are "Quit".
    void reject() override;

private:
    QPushButton *addButton(const char *name, const QString &caption, int left, int top,
                           int width, int height);
    void searchFrom(qint64 start);
    void notFound();
    void showHit();
    void setReplaceEnabled(bool enabled);
    bool caseSensitive() const;
    QByteArray searchText() const;
    QByteArray replacementText() const;

    QWidget *m_mainWindow;
    TextBox &m_editor;
    qint64 FoundPosition = 0;
    QLineEdit *m_text1;
    QLineEdit *m_text2;
    QPushButton *m_findButton;
    QPushButton *m_findNextButton;
    QPushButton *m_replaceButton;
    QPushButton *m_replaceAllButton;
    QPushButton *m_command5;
    QCheckBox *m_check1;
};
