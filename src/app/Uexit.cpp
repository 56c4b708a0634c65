#include "app/Uexit.h"

#include "app/forms.h"
#include "app/shell.h"
#include "runtime/forms/look.h"

#include <QShowEvent>

TOKBottomDlg *OKBottomDlg = nullptr;

TOKBottomDlg::TOKBottomDlg(QWidget *parent) : Form(QStringLiteral("OKBottomDlg"), parent)
{
    setWindowTitle(QStringLiteral("Warning"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(300, 124);
    look::fillWithDesktopColour(this);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 284, 70);

    Label1 = look::label(this, QStringLiteral("Label1"), QStringLiteral("Anda yakin akan keluar dari program ?"));
    QFont font = Label1->font();
    font.setPixelSize(13);
    Label1->setFont(font);
    look::setTextColour(Label1, Qt::yellow);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(Bevel1->geometry().adjusted(4, 4, -4, -4));

    BitBtn1 = new BitBtn(this, QStringLiteral("BitBtn1"), BitBtn::Kind::Ok);
    BitBtn1->setHint(QStringLiteral("Keluar program"));
    BitBtn1->setGeometry(62, 88, 82, 27);
    BitBtn1->onClick = [this] { BitBtn1Click(); };

    BitBtn2 = new BitBtn(this, QStringLiteral("BitBtn2"), BitBtn::Kind::Cancel);
    BitBtn2->setHint(QStringLiteral("Batal Keluar"));
    BitBtn2->setGeometry(156, 88, 82, 27);

    for (BitBtn *button : {BitBtn1, BitBtn2}) {
        look::setButtonTextColour(button, Qt::blue);
        button->setCursor(Qt::PointingHandCursor);
    }
}

void TOKBottomDlg::showEvent(QShowEvent *event)
{
    Form::showEvent(event);
    if (!event->spontaneous())
        centerOnScreen();
}

void TOKBottomDlg::BitBtn1Click()
{
    // The button's OK result closes the dialog; the program ends with it,
    // once nothing typed is left unstored.
    if (pendingWorkResolved())
        endProgram();
}
