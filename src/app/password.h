#pragma once

#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QLabel>
#include <QLineEdit>

class QShowEvent;

// The password dialog of the login. It keeps the text of epass between
// showings; the login flow empties it. Closing it by the system's close key
// ends it with Cancel, like CancelBtn.
class TPasswordDlg : public Form {
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget *parent = nullptr);

    QLabel *Label1;
    QLineEdit *epass;
    Button *OKBtn;
    Button *CancelBtn;

    void FormActivate() override;

protected:
    void showEvent(QShowEvent *event) override;
};

extern TPasswordDlg *PasswordDlg;
