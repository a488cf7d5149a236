#pragma once

#include <QObject>

class CommonDialog;
class QColor;
class TextBox;

// The Edit, Edit Text and Text Customization menus: clipboard, case, line numbers, font and
// colours. Each handler reads the editor, calls a function that knows no widget, and writes
// back as one undo step.
class EditingCommands : public QObject
{
    Q_OBJECT

public:
    EditingCommands(QObject *parent, TextBox &editor, CommonDialog &dialog);

public Q_SLOTS:
    void EditCopy_Click();
    void EditCut_Click();
    void EditPaste_Click();
    void EditSelect_Click();
    void ProcessUpper_Click();
    void ProcessLower_Click();
    void ProcessNumber_Click();
    void CustomFont_Click();
    void CustomPage_Click();
    void CustomText_Click();

private:
    void chooseColor(void (TextBox::*apply)(const QColor &));

    TextBox &m_editor;
    CommonDialog &m_dialog;
};
