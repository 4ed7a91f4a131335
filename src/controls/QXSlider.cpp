#include "controls/QXSlider.h"

#include <QProxyStyle>
#include <QWheelEvent>

namespace {

class AbsoluteClickStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        if (hint == SH_Slider_PageSetButtons)
            return Qt::NoButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

QXSlider::QXSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    auto *style = new AbsoluteClickStyle;
    style->setParent(this);
    setStyle(style);
    setFocusPolicy(Qt::NoFocus);
}

void QXSlider::wheelEvent(QWheelEvent *event)
{
    if (m_wheelStep <= 0 || !isEnabled()) {
        event->ignore();
        return;
    }
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    if (notches != 0)
        setSliderPosition(sliderPosition() + notches * m_wheelStep);
    event->accept();
}
