#pragma once

#include "runtime/controls/dbedit.h"
#include "runtime/controls/dbgrid.h"
#include "runtime/controls/dbnavigator.h"
#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

// The savings window: a member's deposits, recorded one transaction at a
// time, and the member's balance broken down by kind of savings.
//
// The savings grid and navigator are unlocked by "TRANSAKSI" and locked again
// by the savings table's own rules after each post or refresh, and whenever
// the member was chosen for the clerk (a search that found nothing, the
// member report's walk). The balance figures belong to one member: they are
// cleared whenever another member becomes current.
class TFsimpan : public Form {
    Q_OBJECT
public:
    explicit TFsimpan(QWidget *parent = nullptr);

    // Binds the controls to the data module, which is created after this window.
    void connectData();

    QLabel *Label1;
    DBEdit *DBEdit3;
    QLabel *Label4;
    DBEdit *DBEdit1;
    QLabel *Label9;
    DBEdit *DBEdit2;
    QLabel *Label8;
    DBEdit *DBETglSimpan;

    QGroupBox *GroupBox1;
    QLabel *Label3;
    QLabel *Label6;
    QLabel *Label7;
    QLabel *wajib;
    QLabel *suka;
    QLabel *wisuda;
    QLabel *Label2;
    QLineEdit *Etotsimpanan;

    DBGrid *DBGrid3;
    DBNavigator *DBNavigator2;
    BitBtn *BitBtn2;
    QFrame *Panel1;

    DBGrid *DBGrid1;
    DBNavigator *DBNavigator1;
    BitBtn *BitBtn4;
    BitBtn *BitBtn3;
    BitBtn *BitBtnlapSimpan;
    BitBtn *BitBtn1;

    // Handlers.
    void FormCreate();
    void FormActivate() override;
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtnlapSimpanClick();
    void DBNavigator2Click();
    bool FormCloseQuery() override;

    // Ends an open transaction: no deposit is entered until "TRANSAKSI" has
    // found a member again.
    void lockTransaction();

private:
    void memberShown();
    QVariant m_figuresMember;           // the member the figures were worked out for

    void createControls();
    void arrangeControls();
    void paintControls();
};

extern TFsimpan *Fsimpan;
