#pragma once

class QString;
class QWidget;

// The platform message box, spoken in its style values and results.
namespace msgbox {

enum Style { OkOnly = 0, YesNo = 4, Question = 32, DefaultButton2 = 256 };
enum Result { Ok = 1, Yes = 6, No = 7 };

// Shows a modal box over the whole program and returns the button pressed. Only the styles
// above are known; anything else in the value is ignored.
int show(QWidget *parent, const QString &prompt, int style, const QString &title);

}
