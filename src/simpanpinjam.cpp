#include "app/forms.h"
#include "app/menu.h"
#include "runtime/db/error.h"
#include "runtime/forms/application.h"
#include "runtime/forms/messages.h"
#include "runtime/report/fonts.h"

int main(int argc, char **argv)
{
    Application app(argc, argv);
    report::installFontSubstitutions();
    try {
        createForms();
    } catch (const DatabaseError &error) {
        // A table file that cannot be used ends start-up; nothing is rewritten.
        messages::error(error.text());
        destroyForms();
        return 1;
    }
    Fmenu->show();
    Fmenu->activateWindow();
    const int result = app.exec();
    destroyForms();
    return result;
}
