#pragma once

#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QLabel>
#include <QLineEdit>

// The member-number search shared by the member, savings and loans windows.
// A caller sets the title, shows it modally and then reads EnoA; OK has
// already made the member current (or said it is not there). Cancel, Esc and
// the close box choose nothing.
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

    enum class Choice { Found, NotFound, Cancelled };
    // For the callers that search from the first member (editing, the
    // transactions): settles a pending member row, moves to the first
    // member, shows the dialog with this title and looks the typed number
    // up again. Found: the member is current. Cancelled: back on the member
    // that was current before. NotFound: back there too when `backOnMiss`,
    // otherwise on the first member.
    Choice chooseMember(const QString &title, bool backOnMiss);
};

extern TFcari *Fcari;
