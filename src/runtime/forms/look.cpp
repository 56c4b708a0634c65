#include "runtime/forms/look.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

namespace look {

namespace {

// Text that reads at normal size: the usual threshold for body text.
constexpr double ReadableContrast = 4.5;

double luminance(const QColor &colour)
{
    auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

QColor mixed(const QColor &from, const QColor &to, double share)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
                            float(from.greenF() + (to.greenF() - from.greenF()) * share),
                            float(from.blueF() + (to.blueF() - from.blueF()) * share));
}

// The disabled colour moved towards the enabled one until it reads.
QColor readableDisabled(const QColor &disabled, const QColor &enabled, const QColor &background)
{
    for (int step = 0; step <= 10; ++step) {
        const QColor candidate = mixed(disabled, enabled, step / 10.0);
        if (contrast(candidate, background) >= ReadableContrast)
            return candidate;
    }
    return enabled;
}

} // namespace

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

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void wearStandardColours(QWidget *widget)
{
    // Setting each role, even to the colour it has, marks it as the widget's
    // own; a palette taken as it is would still inherit the window's roles.
    QPalette palette = QApplication::palette(widget);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto r = QPalette::ColorRole(role);
            if (r != QPalette::NoRole)
                palette.setBrush(group, r, palette.brush(group, r));
        }
    }
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> textOn[] = {
        {QPalette::ButtonText, QPalette::Button}, {QPalette::WindowText, QPalette::Window},
        {QPalette::Text, QPalette::Base}, {QPalette::ButtonText, QPalette::Window}};
    for (const auto &[text, background] : textOn) {
        palette.setColor(QPalette::Disabled, text,
                         readableDisabled(palette.color(QPalette::Disabled, text),
                                          palette.color(QPalette::Active, text),
                                          palette.color(QPalette::Disabled, background)));
    }
    widget->setPalette(palette);
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
