#pragma once

#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QLabel>
#include <QLineEdit>

// The member-number search shared by the member, savings and loans windows.
// A caller sets the title, shows it modally and then reads EnoA, whatever
// button closed it; OK has already made the member current (or said it is
// not there).
class TFcari : public Form {
    Q_OBJECT
public:
    explicit TFcari(QWidget *parent = nullptr);

    QLabel *Label1;
    QLineEdit *EnoA;
    BitBtn *BitBtn1;
    BitBtn *BitBtn2;

    void BitBtn1Click();
    void FormActivate() override;
};

extern TFcari *Fcari;
