#include "app/shell.h"

#include <QCoreApplication>
#include <QTimer>

static bool ended = false;

void endProgram()
{
    ended = true;
    QCoreApplication::exit(0);
}

bool programEnded()
{
    return ended;
}

void resetProgramEnded()
{
    if (!ended)
        return;
    ended = false;
    // The end stops every event loop, later ones too, until the
    // application's own loop has run once more.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}
