#include "app/forms.h"
#include "app/menu.h"
#include "runtime/forms/application.h"
#include "runtime/report/fonts.h"

int main(int argc, char **argv)
{
    Application app(argc, argv);
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
