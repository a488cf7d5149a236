#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The system clipboard in plain text, seen as bytes of the program's code page.
namespace clipboard {

void setText(QByteArrayView bytes);
// Empty when the clipboard holds no text.
QByteArray text();

}
