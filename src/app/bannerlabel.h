#pragma once

#include <QLabel>

// A label that reports a click, as the banner over the editor does.
class BannerLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
