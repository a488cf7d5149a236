#pragma once

#include <QRect>
#include <QString>

class QWidget;

// One control of a window's design: its name, caption and place in twips.
struct DesignRow
{
    const char *name;
    QString caption;
    QRect twips;
};

// Checks each control of `window` against its design row: found by name, at its place, with
// its caption (as text or title), and named for accessibility tools.
void verifyDesign(QWidget *window, const QList<DesignRow> &rows);
