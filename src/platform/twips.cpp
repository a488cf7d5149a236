#include "platform/twips.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <cmath>

namespace twips {
namespace {

constexpr double TwipsPerInch = 1440.0;

double logicalDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
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
