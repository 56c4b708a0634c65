#include "app/Login.h"

#include "app/menu.h"
#include "app/password.h"
#include "app/shell.h"
#include "runtime/forms/look.h"
#include "runtime/forms/messages.h"

#include <QShowEvent>

TFlogin *Flogin = nullptr;

namespace {

// The one password of the program, compared exactly: case-sensitive, untrimmed.
const QString Password = QStringLiteral("rembul");

const QString WrongPassword = QStringLiteral("password salah ! Silahkan coba lagi.");
const QString NoTriesLeft = QStringLiteral("kesempatan Anda telah habis, silahkan keluar !!");

void enableMainWindow(bool enabled)
{
    if (Fmenu)
        Fmenu->setEnabled(enabled);
}

bool accepted(int result)
{
    return result == mrOk && PasswordDlg->epass->text() == Password;
}

} // namespace

TFlogin::TFlogin(QWidget *parent) : Form(QStringLiteral("Flogin"), parent)
{
    setWindowTitle(QStringLiteral("LOGIN"));
    // A title bar without any buttons: no system menu, no close box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(233, 81);
    look::fillWithDesktopColour(this);

    // Created in tab order: Button1 first, so it has the focus.
    Button1 = new Button(this, QStringLiteral("Button1"), QStringLiteral("&LoGin"));
    Button1->setHint(QStringLiteral("Masuk ke program"));
    Button1->setGeometry(32, 28, 75, 25);
    Button1->onClick = [this] { Button1Click(); };

    Button2 = new Button(this, QStringLiteral("Button2"), QStringLiteral("&BaTaL"));
    Button2->setHint(QStringLiteral("Batal masuk program"));
    Button2->setGeometry(126, 28, 75, 25);
    Button2->onClick = [this] { Button2Click(); };

    for (Button *button : {Button1, Button2}) {
        look::setButtonTextColour(button, Qt::blue);
        button->setCursor(Qt::PointingHandCursor);
    }
}

void TFlogin::showEvent(QShowEvent *event)
{
    Form::showEvent(event);
    if (event->spontaneous())
        return;
    centerOnScreen();
    Button1->setFocus();
    // Placed as it appears, not only once the window system activates it.
    FormActivate();
}

void TFlogin::FormActivate()
{
    if (Fmenu) {
        Fmenu->show();
        Fmenu->setEnabled(false);
    }
    move(LoginPlace);
}

void TFlogin::Button1Click()
{
    // Three tries: the first here, one more after each failed check.
    int result = PasswordDlg->showModal();
    for (int check = 0; check < 2; ++check) {
        if (accepted(result)) {
            enableMainWindow(true);
            PasswordDlg->close();
            continue;
        }
        // Cancel, the close key and a wrong text are the same failure.
        PasswordDlg->epass->clear();
        messages::confirmation(WrongPassword);
        result = PasswordDlg->showModal();
    }
    if (accepted(result)) {
        enableMainWindow(true);
    } else {
        messages::confirmation(NoTriesLeft);
        PasswordDlg->close();
        endProgram();
    }
    PasswordDlg->epass->clear();
}

void TFlogin::Button2Click()
{
    endProgram();
}

void TFlogin::FormClose()
{
    // There is no close box; a close by the system's close key quits like "&BaTaL".
    endProgram();
}
