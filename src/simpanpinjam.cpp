#include "app/forms.h"
#include "app/menu.h"
#include "runtime/forms/application.h"
#include "runtime/picture.h"
#include "runtime/report/fonts.h"

#include <QIcon>

int main(int argc, char **argv)
{
    Application app(argc, argv);
    // Every window, the login's among them, carries the program's icon, and
    // the desktop matches the windows to the menu entry.
    Application::setWindowIcon(QIcon(picture::loadPixmap(QStringLiteral(":/icon.jpg"))));
    Application::setDesktopFileName(QStringLiteral("id.ac.unrawi.kopma.simpanpinjam"));
    report::installFontSubstitutions();
    // A refused start has told the operator why; nothing was left open.
    if (!startUp())
        return 1;
    Fmenu->show();
    Fmenu->activateWindow();
    const int result = app.exec();
    shutDown();
    return result;
}
