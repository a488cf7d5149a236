#pragma once

#include <QObject>

#include <memory>

class Form1;
class Form2;

// Edit > Find: the search and replace dialog, made on first use and kept for the whole run.
class SearchCommands : public QObject
{
    Q_OBJECT

public:
    explicit SearchCommands(Form1 &window);
    ~SearchCommands() override;

    Form2 *dialog() const { return m_form2.get(); }

public Q_SLOTS:
    void EditFind_Click();

private:
    Form1 &m_window;
    std::unique_ptr<Form2> m_form2;
};
