#pragma once

#include "runtime/controls/dbedit.h"
#include "runtime/forms/form.h"

// The loans window: a member's loans with fee and total.
class TFpinjam : public Form {
    Q_OBJECT
public:
    explicit TFpinjam(QWidget *parent = nullptr);

    // Binds the controls to the data module, which is created after this window.
    void connectData();

    DBEdit *DBEbespin;
    DBEdit *DBEtglP;
};

extern TFpinjam *Fpinjam;
