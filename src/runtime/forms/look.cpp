#include "runtime/forms/look.h"

#include <QLabel>
#include <QWidget>

namespace look {

QColor desktopColour()
{
    return QColor(0x3a, 0x6e, 0xa5);
}

void fillWithDesktopColour(QWidget *window)
{
    setColour(window, QPalette::Window, desktopColour());
    window->setAutoFillBackground(true);
}

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    setColour(widget, QPalette::WindowText, colour);
}

void setButtonTextColour(QWidget *button, const QColor &colour)
{
    setColour(button, QPalette::ButtonText, colour);
}

void paintDataBox(QWidget *box)
{
    QPalette palette = box->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, desktopColour());
        palette.setColor(group, QPalette::Text, Aqua);
    }
    box->setPalette(palette);
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QFont bold(QFont font, double scale)
{
    font.setBold(true);
    if (scale != 1.0)
        font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

} // namespace look
