#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;

// The program's help viewer: one window that shows a help file, reached through the common
// dialog's show-help. A help file is one HTML document (UTF-8); its first section is the
// contents topic and its other topics are anchors in it.
class HelpViewer : public QWidget
{
    Q_OBJECT

public:
    // Help command "force file": make sure the named file is the one shown.
    static constexpr int ForceFile = 9;

    // `fallbackFolders`: where a help file missing at its path is looked for by its name.
    explicit HelpViewer(QStringList fallbackFolders);

    // Shows the file at its contents topic, unless it is the one shown already (then nothing
    // changes, not even the topic the reader has moved to). Other commands are ignored.
    void show(const QString &file, int command);

    // The file shown, as a canonical path; empty when none is.
    QString currentFile() const { return m_current; }
    // The folders searched by the program's own viewer: the installed help folder
    // (share/tansy-ini-editor beside the program's bin folder), then the program's folder.
    static QStringList defaultFolders();

protected:
    // Closing hides the viewer, which then shows no file.
    void closeEvent(QCloseEvent *event) override;

private:
    QString find(const QString &file) const;
    void open(const QString &path);
    void showMissing(const QString &file);
    void locate();
    void findInTopic();
    void print();

    QStringList m_fallbackFolders;
    QString m_current;
    QString m_missing;
    QTextBrowser *m_browser;
    QLineEdit *m_findText;
    QPushButton *m_locate;
};
