#pragma once

#include <QMainWindow>

#include <memory>

class BannerLabel;
class BrowserCommands;
class CommonDialog;
class DocumentCommands;
class DosPaths;
class EditingCommands;
class HelpCommands;
class QAction;
class QFrame;
class QGroupBox;
class QMenu;
class QPushButton;
class SearchCommands;
class TextBox;

// The main window: the editor, the buttons around it, the menu bar and the common dialog.
// The window builds itself; each menu item and button runs a handler of its subsystem.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    // driveRoot: the root of the current drive, against which the program's DOS-style paths
    // resolve; "/" for the program, a folder of their own for tests.
    explicit Form1(const QString &driveRoot = QStringLiteral("/"), QWidget *parent = nullptr);
    ~Form1() override;

    TextBox *editor() const { return m_editor; }
    CommonDialog *commonDialog() const { return m_commonDialog; }
    DocumentCommands *documents() const { return m_documents; }
    SearchCommands *search() const { return m_search; }
    HelpCommands *help() const { return m_help; }

public Q_SLOTS:
    void Command4_Click();
    void FileExit_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenus();
    void createTabOrder();
    void Form_Resize();
    QPushButton *addButton(QWidget *parent, const char *name, const QString &caption,
                           int left, int top, int width, int height);
    QGroupBox *addFrame(const char *name, const QString &caption,
                        int left, int top, int width, int height);

    std::unique_ptr<DosPaths> m_paths;
    TextBox *m_editor = nullptr;
    CommonDialog *m_commonDialog = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
    QPushButton *m_command3 = nullptr;
    QPushButton *m_command4 = nullptr;
    QPushButton *m_command5 = nullptr;
    QPushButton *m_command7 = nullptr;
    BannerLabel *m_label1 = nullptr;

    DocumentCommands *m_documents = nullptr;
    EditingCommands *m_editing = nullptr;
    SearchCommands *m_search = nullptr;
    HelpCommands *m_help = nullptr;
    BrowserCommands *m_browser = nullptr;
};
