#pragma once

#include "runtime/controls/dbcombobox.h"
#include "runtime/controls/dbedit.h"
#include "runtime/controls/dbgrid.h"
#include "runtime/controls/dbnavigator.h"
#include "runtime/controls/dbtext.h"
#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>

// The member register: browse, add (composing the member number from NPM and
// NBK), edit with renumbering of the member's rows, delete with them, and the
// member's parents rows.
class TFanggota : public Form {
    Q_OBJECT
public:
    explicit TFanggota(QWidget *parent = nullptr);
    ~TFanggota() override;

    QFrame *Panel1;
    QLabel *Label1;
    DBEdit *DBEtglDaftar;

    QLabel *LabelCari;
    QLineEdit *ECari;
    DBGrid *DBGrid1;
    BitBtn *BitBtn1;
    BitBtn *BitBtn2;
    BitBtn *BitBtn3;
    BitBtn *BitBtn4;

    DBGrid *DBGrid2;
    DBNavigator *DBNavigator2;

    QLabel *Label7;
    DBText *DBText1;
    QLabel *Label16;
    DBText *DBText2;

    QLabel *Label4;
    DBEdit *DBEnpm;
    QLabel *Label3;
    DBEdit *DBEnbk;
    SpeedButton *SpeedButton1;
    QLabel *Label15;
    QLineEdit *EnoA;
    QLineEdit *Eawal;
    DBEdit *DBEawal;
    DBEdit *DBEnoA;
    QLabel *Label5;
    DBEdit *DBEnama;
    QLabel *Label14;
    DBEdit *DBEtmpl;
    DBEdit *DBEtgll;
    QLabel *Label13;
    QLabel *Label10;
    DBEdit *DBEalamat;
    QLabel *Label12;
    DBEdit *DBEkodepos;
    QLabel *Label11;
    DBEdit *DBEtelp;
    QLabel *Label6;
    DBComboBox *DBCjk;
    QLabel *Label9;
    DBComboBox *DBCdarah;
    QLabel *Label8;
    DBComboBox *DBCagama;

    BitBtn *BitBtn7;
    BitBtn *BitBtn8;
    Button *SimpanEdit;
    BitBtn *BatalEDIT;
    BitBtn *BitBtn6;
    BitBtn *BBTambahData;
    BitBtn *BBedit;
    BitBtn *BBhapus;
    BitBtn *BitBtn5;

    // Handlers.
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BBTambahDataClick();
    void SpeedButton1Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void BBeditClick();
    void SimpanEditClick();
    void BatalEDITClick();
    void BBhapusClick();
    void BitBtn6Click();
    void DBNavigator2Click(DBNavigator::Action action);
    void DBEnpmChange();
    void DBEawalChange();
    void DBEnbkChange();
    void FormActivate() override;
    // The search by name or NPM: typing finds the first match, Enter the next.
    void ECariChange();
    void ECariEnter();

    // Key filters and reminders on the member inputs.
    void DBEnpmKeyPress(int &key);
    void DBEnbkKeyPress(int &key);
    void DBEtgllKeyPress(int &key);
    void DBEkodeposKeyPress(int &key);
    void DBEtelpKeyPress(int &key);
    void DBEnamaClick();
    void DBEtelpClick();

    bool FormCloseQuery() override;

private:
    enum class Mode { Browsing, Adding, Editing };

    void createControls();
    void arrangeControls();
    void bindControls();
    void connectHandlers();

    bool identityComplete() const;
    QString composedNumber() const;
    void enterEditing();
    void followMemberState();
    void settleMember();
    bool saveAdded();
    bool saveEdited();
    bool saveMember();
    void dropMember();
    void keepOpen();
    void findByText(bool next);

    // Adding or editing through this window's buttons; a changed member row
    // is stored only by its Save, with its checks and its renumbering.
    Mode m_mode = Mode::Browsing;
    bool m_saving = false;
    // Whether the search text found a member last time, so that "not found"
    // is said once when the text stops matching, not at every key.
    bool m_searchMatched = true;
};

extern TFanggota *Fanggota;
