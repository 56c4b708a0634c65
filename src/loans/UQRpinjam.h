#pragma once

#include "runtime/forms/form.h"

class TFlapPinjam : public Form {
    Q_OBJECT
public:
    explicit TFlapPinjam(QWidget *parent = nullptr);
};

extern TFlapPinjam *FlapPinjam;
