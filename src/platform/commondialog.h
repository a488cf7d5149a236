#pragma once

#include <QObject>
#include <QString>

#include <QStringList>

#include <exception>
#include <functional>
#include <memory>

class DosPaths;
class HelpViewer;
class QColor;
class QWidget;

// Thrown by a show operation when the user cancels and CancelError is on.
class CommonDialogCancel : public std::exception
{
public:
    static constexpr int Number = 32755;
    int number() const { return Number; }
    const char *what() const noexcept override { return "Cancel was selected."; }
};

// The main window's common dialog: one object whose settings keep their values from one use
// to the next; no command resets them. The file, font, colour and help dialogs are shown
// through it.
class CommonDialog : public QObject
{
    Q_OBJECT

public:
    // Flags of the file dialogs.
    static constexpr quint32 OverwritePrompt = 0x2;
    static constexpr quint32 FileMustExist = 0x1000;

    // The dialogs are modal over `window`; the name offered on entry is resolved through
    // `paths`, so a DOS-style name left by a command opens in the folder it means.
    CommonDialog(QWidget *window, const DosPaths &paths);
    ~CommonDialog() override;

    // Show the open or save dialog with the settings below. On a choice FileName becomes the
    // chosen file's full path and the result is true; a cancel throws CommonDialogCancel when
    // CancelError is on and returns false otherwise.
    bool ShowOpen();
    bool ShowSave();
    // The font dialog starts from the Font settings, the colour dialog from Color; a choice
    // is written back to them.
    bool ShowFont();
    bool ShowColor();
    // Hands HelpFile (a DOS-style path) and HelpCommand to the help viewer and returns at once.
    void ShowHelp();

    // Who show-help hands the file and command to: the program's one help viewer, made on
    // first use, which looks for a missing file by name in `folders`. Tests put their own.
    using HelpHandler = std::function<void(const QString &file, int command)>;
    void setHelpHandler(HelpHandler handler);
    void setHelpFolders(const QStringList &folders);
    HelpViewer *helpViewer() const { return m_helpViewer.get(); }

    // Flag of the font dialog that asks for the effects (underline, strikeout).
    static constexpr quint32 FontEffects = 0x100;

    // Colours in the &H00BBGGRR& form and back.
    static quint32 colorValue(const QColor &color);
    static QColor color(quint32 value);

    bool CancelError = false;
    quint32 Flags = 0;
    QString DefaultExt;
    QString Filter;
    QString FileName;
    qint16 HelpCommand = 0;
    QString HelpFile;
    QString FontName;
    bool FontBold = false;
    bool FontItalic = false;
    float FontSize = 0.0f;
    // Red in the low byte: &H00BBGGRR&.
    quint32 Color = 0;

private:
    bool showFileDialog(bool save);
    bool cancelled();

    QWidget *m_window;
    const DosPaths &m_paths;
    std::unique_ptr<HelpViewer> m_helpViewer;
    QStringList m_helpFolders;
    HelpHandler m_helpHandler;
    QString m_chosenFileName;  // the name the file dialog last returned
};
