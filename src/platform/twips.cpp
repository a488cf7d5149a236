#include "platform/twips.h"

#include <QFont>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <cmath>

namespace twips {
namespace {

constexpr double TwipsPerInch = 1440.0;

// The size of the system font the designs were made for.
constexpr double DesignPointSize = 8.0;

// A desktop font larger than the designs' makes the designs larger in step, as the old
// platform's larger system fonts raised its logical resolution: the captions keep fitting
// their controls. A smaller one leaves them as designed.
double logicalDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double points = QGuiApplication::font().pointSizeF();
    const double scale = points > DesignPointSize ? points / DesignPointSize : 1.0;
    return (screen ? screen->logicalDotsPerInchX() : 96.0) * scale;
}

}

int toPixels(int twips)
{
    return int(std::lround(twips * logicalDpi() / TwipsPerInch));
}

QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

}
