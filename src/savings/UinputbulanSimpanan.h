#pragma once

#include "runtime/forms/form.h"

class TFlapsimpan : public Form {
    Q_OBJECT
public:
    explicit TFlapsimpan(QWidget *parent = nullptr);
};

extern TFlapsimpan *Flapsimpan;
