#pragma once

#include <QObject>
#include <QString>

#include <exception>

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
    explicit CommonDialog(QObject *parent = nullptr);

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
};
