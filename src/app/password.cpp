#include "app/password.h"

#include "app/Login.h"
#include "runtime/forms/look.h"

#include <QApplication>
#include <QProxyStyle>
#include <QShowEvent>
#include <QStyleFactory>

TPasswordDlg *PasswordDlg = nullptr;

namespace {

// Every typed character shows as "*", whatever the platform's own choice.
class StarPasswordStyle : public QProxyStyle {
public:
    StarPasswordStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

TPasswordDlg::TPasswordDlg(QWidget *parent) : Form(QStringLiteral("PasswordDlg"), parent)
{
    setWindowTitle(QStringLiteral("Input Password"));
    // Fixed dialog border, a title bar without any buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(233, 106);
    look::fillWithDesktopColour(this);

    Label1 = look::label(this, QStringLiteral("Label1"), QStringLiteral("Masukkan Password :"));
    Label1->setGeometry(12, 10, 209, 17);
    look::setTextColour(Label1, Qt::yellow);

    // Created before the buttons: first in tab order.
    epass = new QLineEdit(this);
    epass->setObjectName(QStringLiteral("epass"));
    epass->setToolTip(QStringLiteral("Input Password"));
    epass->setMaxLength(6);
    auto *style = new StarPasswordStyle;
    style->setParent(epass);
    epass->setStyle(style);
    epass->setEchoMode(QLineEdit::Password);
    epass->setGeometry(12, 30, 209, 23);
    look::setColour(epass, QPalette::Text, Qt::red);

    OKBtn = new Button(this, QStringLiteral("OKBtn"), QStringLiteral("OK"));
    OKBtn->setModalResult(mrOk);
    OKBtn->setDefaultButton(true);
    OKBtn->setGeometry(38, 69, 75, 25);

    CancelBtn = new Button(this, QStringLiteral("CancelBtn"), QStringLiteral("Cancel"));
    CancelBtn->setModalResult(mrCancel);
    CancelBtn->setCancelButton(true);
    CancelBtn->setGeometry(120, 69, 75, 25);

    for (Button *button : {OKBtn, CancelBtn})
        button->setCursor(Qt::PointingHandCursor);
}

void TPasswordDlg::showEvent(QShowEvent *event)
{
    Form::showEvent(event);
    if (event->spontaneous())
        return;
    epass->setFocus();
    // Placed as it appears, not only once the window system activates it.
    FormActivate();
}

void TPasswordDlg::FormActivate()
{
    // The login window is done with once the password is asked for.
    if (Flogin)
        Flogin->hide();
    move(LoginPlace);
}
