#pragma once

#include <QtGlobal>

class TextBox;

// Upper Case and Lower Case as the menu runs them: every byte of the editor's selection
// through `table` (the code page's, 256 entries), as one undo step, the same span selected
// afterwards. Only the part from the first to the last changed byte is rewritten, about
// `partSize` bytes at a time: on a whole large document that keeps the undo history small.
void changeCase(TextBox &editor, const unsigned char *table, qsizetype partSize);
void changeCase(TextBox &editor, const unsigned char *table);
