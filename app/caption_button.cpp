#include "app/caption_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

CaptionButton::CaptionButton(QWidget* parent) : QPushButton(parent)
{
    // Ten pixels keeps two lines of caption inside the smallest button.
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
}

void CaptionButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const int shift = isDown() ? 1 : 0;
    const QRect area = rect().adjusted(1 + shift, 1 + shift, -1 + shift, -1 + shift);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, caption);
}
