#pragma once

#include "modalanswer.h"

#include <QFileDialog>

// What a file dialog offered when it opened.
struct FileDialogSeen
{
    QString title;
    QString directory;
    QString fileName;  // the text of the file name box
    QStringList nameFilters;
    QString defaultSuffix;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    bool confirmsOverwrite = false;
    bool native = true;
    QStringList listed;  // the names its first filter lets the user pick in its folder
};

// Answers the next file dialog through its own widgets: types `fileName` into its file name
// box and presses Enter, or, with no name, presses its Cancel button.
class FileDialogAnswer : public ModalWatcher
{
public:
    explicit FileDialogAnswer(const QString &fileName = QString());

    bool answered() const { return done(); }
    const FileDialogSeen &seen() const { return m_seen; }

private:
    FileDialogSeen m_seen;
};
