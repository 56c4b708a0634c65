#pragma once

#include "runtime/controls/dbedit.h"
#include "runtime/forms/form.h"

class TFanggota : public Form {
    Q_OBJECT
public:
    explicit TFanggota(QWidget *parent = nullptr);

    DBEdit *DBEtglDaftar;
};

extern TFanggota *Fanggota;
