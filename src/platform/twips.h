#pragma once

class QRect;

// Window designs are given in twips (1/1440 inch). They are turned into pixels at the
// screen's logical resolution: 15 twips a pixel at 96 dpi, more with a larger desktop font.
namespace twips {

int toPixels(int twips);
QRect rect(int left, int top, int width, int height);

}
