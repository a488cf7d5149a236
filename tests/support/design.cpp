#include "design.h"

#include "platform/twips.h"

#include <QGroupBox>
#include <QTest>
#include <QWidget>

void verifyDesign(QWidget *window, const QList<DesignRow> &rows)
{
    for (const DesignRow &row : rows) {
        auto *control = window->findChild<QWidget *>(QLatin1String(row.name));
        QVERIFY2(control, row.name);
        const QRect expected = twips::rect(row.twips.x(), row.twips.y(), row.twips.width(),
                                           row.twips.height());
        QVERIFY2(control->geometry() == expected, row.name);
        const auto *frame = qobject_cast<QGroupBox *>(control);
        const QString caption = frame ? frame->title() : control->property("text").toString();
        QVERIFY2(caption == row.caption, row.name);
        QVERIFY2(!control->accessibleName().isEmpty(), row.name);
    }
}
