#include "members/Ucari.h"

TFcari *Fcari = nullptr;

TFcari::TFcari(QWidget *parent) : Form(QStringLiteral("Fcari"), parent)
{
    setWindowTitle(QStringLiteral("Fcari"));
}
