#include "app/about.h"

#include "runtime/forms/look.h"

#include <QPainter>
#include <QShowEvent>
#include <qdrawutil.h>

TAboutBox *AboutBox = nullptr;

namespace {

const QColor PanelColour(0xD4, 0xD0, 0xC8);

QLabel *navyLabel(QWidget *parent, const QString &name, const QString &text, int pixels, bool bold)
{
    QLabel *label = look::label(parent, name, text);
    QFont font = label->font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    label->setFont(font);
    look::setTextColour(label, look::Navy);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

BevelPanel::BevelPanel(QWidget *parent, const QString &name) : QFrame(parent)
{
    setObjectName(name);
    setContentsMargins(2, 2, 2, 2);
    look::setColour(this, QPalette::Window, PanelColour);
    setAutoFillBackground(true);
}

void BevelPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
}

TAboutBox::TAboutBox(QWidget *parent) : Form(QStringLiteral("AboutBox"), parent)
{
    setWindowTitle(QStringLiteral("Tentang Program"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(298, 200);
    look::fillWithDesktopColour(this);

    Panel1 = new BevelPanel(this, QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 282, 148);

    Label4 = navyLabel(Panel1, QStringLiteral("Label4"), QStringLiteral("Program"), 24, true);
    Label4->setGeometry(90, 14, 176, 32);
    Label5 = navyLabel(Panel1, QStringLiteral("Label5"), QStringLiteral("Simpan Pinjam "), 16, true);
    Label5->setGeometry(90, 54, 176, 22);
    Label6 = navyLabel(Panel1, QStringLiteral("Label6"), QStringLiteral("Version 1.0"), 13, false);
    Label6->setGeometry(90, 80, 176, 18);

    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Panel2->setGeometry(16, 108, 250, 2);

    OKButton = new Button(this, QStringLiteral("OKButton"), QStringLiteral("OK"));
    OKButton->setDefaultButton(true);
    OKButton->setGeometry(215, 166, 75, 25);
    OKButton->onClick = [this] { close(); };
}

void TAboutBox::showEvent(QShowEvent *event)
{
    Form::showEvent(event);
    if (!event->spontaneous())
        centerOnScreen();
}
