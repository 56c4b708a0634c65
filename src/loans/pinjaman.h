#pragma once

#include "runtime/controls/dbedit.h"
#include "runtime/controls/dbgrid.h"
#include "runtime/controls/dbnavigator.h"
#include "runtime/controls/dbtext.h"
#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>

// The loans window: a member's loans with their fee and total to repay.
//
// It opens the loans table whenever it becomes active and closes it when it
// is closed. Once "&TRANSAKSI" has found a member, the loan grid and its
// navigator stay unlocked until the member is chosen for the clerk instead
// (a search that found nothing, the member report's walk). The amount and
// guarantee boxes take typing only while a loan row of an open transaction
// is being inserted or edited.
class TFpinjam : public Form {
    Q_OBJECT
public:
    explicit TFpinjam(QWidget *parent = nullptr);

    // Binds the controls to the data module, which is created after this window.
    void connectData();

    DBGrid *DBGrid2;
    QGroupBox *GroupBox1;
    DBNavigator *DBNavigator3;
    DBNavigator *DBNavigator1;
    BitBtn *BitBtnTransPinjam;
    QLabel *Label2;
    DBText *DBText1;
    QFrame *Panel1;

    QLabel *Label1;
    DBEdit *DBEbespin;
    QLabel *Label7;
    DBEdit *DBEjamin;
    DBGrid *DBGrid1;
    DBEdit *DBEtglP;
    DBNavigator *DBNavigator2;

    QGroupBox *GroupBox2;
    BitBtn *BitBtn3;
    BitBtn *BitBtn2;
    BitBtn *BitBtn1;
    QLabel *Label3;

    // Handlers.
    void FormCreate();
    void FormActivate() override;
    void FormClose() override;
    void BitBtnTransPinjamClick();
    void BitBtn3Click();
    void BitBtn2Click();
    void DBEbespinKeyPress(int &key);
    bool FormCloseQuery() override;

    // Ends an open transaction until "&TRANSAKSI" finds a member again.
    void lockTransaction();

private:
    void gateEntryBoxes();
    void createControls();
    void arrangeControls();
    void paintControls();
};

extern TFpinjam *Fpinjam;
