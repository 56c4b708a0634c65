#pragma once

#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QFrame>
#include <QLabel>

class QShowEvent;

// The exit confirmation, shown modally by the main menu. OK (or Enter) ends
// the program; Cancel, Esc and the close box only close the dialog.
class TOKBottomDlg : public Form {
    Q_OBJECT
public:
    explicit TOKBottomDlg(QWidget *parent = nullptr);

    QFrame *Bevel1;
    QLabel *Label1;
    BitBtn *BitBtn1;
    BitBtn *BitBtn2;

    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TOKBottomDlg *OKBottomDlg;
