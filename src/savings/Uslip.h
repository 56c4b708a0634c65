#pragma once

#include "runtime/forms/form.h"

class TFslip : public Form {
    Q_OBJECT
public:
    explicit TFslip(QWidget *parent = nullptr);
};

extern TFslip *Fslip;
