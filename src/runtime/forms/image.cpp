#include "runtime/forms/image.h"

#include "runtime/picture.h"

#include <QPainter>

Image::Image(QWidget *parent, const QString &name) : QLabel(parent)
{
    setObjectName(name);
}

void Image::setPicture(const QString &resourcePath)
{
    m_picture = picture::loadPixmap(resourcePath);
    update();
}

void Image::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_picture);
}
