#pragma once

#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QFrame>
#include <QLabel>

class QShowEvent;

// A panel framed by a lowered outer and a raised inner bevel.
class BevelPanel : public QFrame {
    Q_OBJECT
public:
    BevelPanel(QWidget *parent, const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The about box, shown modeless. OK (or Enter) and the close box hide it;
// it has no cancel button, so Esc does nothing.
class TAboutBox : public Form {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    BevelPanel *Panel1;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QFrame *Panel2;
    Button *OKButton;

protected:
    void showEvent(QShowEvent *event) override;
};

extern TAboutBox *AboutBox;
