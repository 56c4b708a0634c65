#pragma once

#include "runtime/forms/form.h"

class TFcari : public Form {
    Q_OBJECT
public:
    explicit TFcari(QWidget *parent = nullptr);
};

extern TFcari *Fcari;
