#pragma once

#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QPoint>

class QShowEvent;

// Where the login window and the password dialog stand, in screen coordinates.
inline constexpr QPoint LoginPlace(394, 230);

// The gate in front of the main window: log in or quit. Neither button is a
// default or cancel button; Enter presses the focused one, Esc does nothing.
class TFlogin : public Form {
    Q_OBJECT
public:
    explicit TFlogin(QWidget *parent = nullptr);

    Button *Button1;
    Button *Button2;

    void Button1Click();
    void Button2Click();

    void FormActivate() override;
    void FormClose() override;

protected:
    void showEvent(QShowEvent *event) override;
};

extern TFlogin *Flogin;
