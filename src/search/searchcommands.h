#pragma once

#include <QObject>

class Form1;

// Edit ▸ Find: the search and replace dialog.
class SearchCommands : public QObject
{
    Q_OBJECT

public:
    explicit SearchCommands(Form1 &window);

public Q_SLOTS:
    void EditFind_Click();

private:
    Form1 &m_window;
};
