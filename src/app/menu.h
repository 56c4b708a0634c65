#pragma once

#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"
#include "runtime/forms/image.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>

class DBEdit;

// The main window: menu, speed buttons, clock, long date, the WELCOME
// letter banner and the scrolling caption. Its clock stamps today's date
// into the date editors of the member, savings and loans windows.
class TFmenu : public Form {
    Q_OBJECT
public:
    explicit TFmenu(QWidget *parent = nullptr);

    // After every window exists: the date editors also take today's date the
    // moment their row is started or edited, so no row is posted undated.
    void connectDateEditors();

    QMenuBar *MainMenu1;
    QAction *Anggota1;
    QAction *Simpanan1;
    QAction *Pinjaman1;
    QAction *LaporanAnggota1;
    QAction *LaporanSimpanan1;
    QAction *LaporanPinjaman1;
    QAction *About1;
    QAction *Exit1;

    SpeedButton *SpeedButton1;
    SpeedButton *SpeedButton2;
    SpeedButton *SpeedButton3;
    Image *flash;
    Image *Image1;
    QLabel *Panel3;
    QLabel *Label6;
    QLabel *Label7;
    QLabel *Label8;
    QLabel *Label9;
    QLabel *Label10;
    QLabel *Label11;
    QLabel *Label12;
    QLabel *Label5;
    QLabel *Label4;
    QLabel *Label2;
    QLabel *Label1;
    QLabel *Label3;
    QFrame *Panel1;
    QFrame *Panel2;
    QTimer *Timer1;
    QTimer *Timer2;
    QTimer *Timer3;

    // Commands.
    void Anggota1Click();
    void Simpanan1Click();
    void Pinjaman1Click();
    void LaporanAnggota1Click();
    void LaporanSimpanan1Click();
    void LaporanPinjaman1Click();
    void About1Click();
    void Exit1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();

    // Timers.
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();

    void FormActivate() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildMenu();
    void buildClient();
    void placeClient();
    void stamp(DBEdit *editor, const QString &text);
    QList<QLabel *> letters() const;

    QWidget *m_client = nullptr;
    bool m_activatedOnce = false;
};

extern TFmenu *Fmenu;
