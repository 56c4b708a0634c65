#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QLabel;
class QWidget;

// How the program's windows look: one desktop colour behind every window
// that wears it, the caption colours on it, and the data boxes.
namespace look {

constexpr QColor Aqua(0x00, 0xff, 0xff);
constexpr QColor Fuchsia(0xff, 0x00, 0xff);
constexpr QColor Navy(0x00, 0x00, 0x80);

// The classic desktop colour.
QColor desktopColour();

void fillWithDesktopColour(QWidget *window);

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour);
// Captions of labels and frames (WindowText), of buttons (ButtonText).
void setTextColour(QWidget *widget, const QColor &colour);
void setButtonTextColour(QWidget *button, const QColor &colour);

// A box that shows data: aqua on the desktop colour, also when disabled.
void paintDataBox(QWidget *box);

// How far apart two colours read, from 1 (the same) to 21 (black on white),
// by their relative luminance.
double contrast(const QColor &a, const QColor &b);

// The application's own colours in every role, so that the colours of the
// window a widget sits on (the black main window) never reach it; disabled
// captions stay greyed but dark enough to read.
void wearStandardColours(QWidget *widget);

QLabel *label(QWidget *parent, const QString &name, const QString &caption);

// The font made bold and, with a scale, larger by that factor.
QFont bold(QFont font, double scale = 1.0);

} // namespace look
