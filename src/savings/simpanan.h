#pragma once

#include "runtime/controls/dbedit.h"
#include "runtime/controls/dbgrid.h"
#include "runtime/controls/dbnavigator.h"
#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

// The savings window: a member's deposits, recorded one transaction at a time.
class TFsimpan : public Form {
    Q_OBJECT
public:
    explicit TFsimpan(QWidget *parent = nullptr);

    // Binds the controls to the data module, which is created after this window.
    void connectData();

    DBEdit *DBETglSimpan;
    DBGrid *DBGrid1;
    DBNavigator *DBNavigator1;
    Button *BitBtn3;

    void FormCreate();
};

extern TFsimpan *Fsimpan;
