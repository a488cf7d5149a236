#pragma once

#include "platform/twips.h"

#include <QString>
#include <QWidget>

#include <initializer_list>
#include <type_traits>

// Controls of the program's windows are found by their names, and by their captions through
// accessibility; those with a design position get it converted from twips.
namespace designcontrol {

template <typename T>
T *named(T *object, const char *name, const QString &accessibleName)
{
    object->setObjectName(QLatin1String(name));
    if constexpr (std::is_base_of_v<QWidget, T>)
        object->setAccessibleName(accessibleName);
    return object;
}

template <typename T>
T *placed(T *control, const char *name, const QString &accessibleName, int left, int top,
          int width, int height)
{
    named(control, name, accessibleName);
    control->setGeometry(twips::rect(left, top, width, height));
    return control;
}

// The Tab key visits the widgets in this order.
inline void tabOrder(std::initializer_list<QWidget *> widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

}
