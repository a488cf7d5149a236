#pragma once

#include <QObject>

#include <memory>

class Form2;
class QWidget;
class TextBox;

// Edit > Find: the search and replace dialog, made on first use and kept for the whole run.
class SearchCommands : public QObject
{
    Q_OBJECT

public:
    // `mainWindow` is raised to show each hit; the dialog carries its icon.
    SearchCommands(QWidget *mainWindow, TextBox &editor);
    ~SearchCommands() override;

    Form2 *dialog() const { return m_form2.get(); }

public Q_SLOTS:
    void EditFind_Click();

private:
    QWidget *m_mainWindow;
    TextBox &m_editor;
    std::unique_ptr<Form2> m_form2;
};
