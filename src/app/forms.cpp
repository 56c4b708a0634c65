#include "app/forms.h"

#include "app/Login.h"
#include "app/Uexit.h"
#include "app/about.h"
#include "app/menu.h"
#include "app/password.h"
#include "data/DM.h"
#include "loans/UQRpinjam.h"
#include "loans/Uinputbulanpinjam.h"
#include "loans/pinjaman.h"
#include "members/Laporan_Anggota.h"
#include "members/Ucari.h"
#include "members/Uanggota.h"
#include "savings/ULapSimpanBulanan.h"
#include "savings/UinputbulanSimpanan.h"
#include "savings/Uslip.h"
#include "savings/simpanan.h"

void createForms()
{
    Fmenu = new TFmenu;
    Flogin = new TFlogin;
    Fpinjam = new TFpinjam;
    Fsimpan = new TFsimpan;
    modul = new Tmodul;
    // The loans and savings windows exist before the data module.
    Fpinjam->connectData();
    Fsimpan->connectData();
    ReportAnggota = new TReportAnggota;
    AboutBox = new TAboutBox;
    Fslip = new TFslip;
    PasswordDlg = new TPasswordDlg;
    OKBottomDlg = new TOKBottomDlg;
    Fanggota = new TFanggota;
    FlapPinjam = new TFlapPinjam;
    Flapsimpan = new TFlapsimpan;
    Form3 = new TForm3;
    Form2 = new TForm2;
    Fcari = new TFcari;
    Fmenu->connectDateEditors();
}

template <typename T>
static void destroy(T *&instance)
{
    delete instance;
    instance = nullptr;
}

void destroyForms()
{
    destroy(Fcari);
    destroy(Form2);
    destroy(Form3);
    destroy(Flapsimpan);
    destroy(FlapPinjam);
    destroy(Fanggota);
    destroy(OKBottomDlg);
    destroy(PasswordDlg);
    destroy(Fslip);
    destroy(AboutBox);
    destroy(ReportAnggota);
    destroy(modul);
    destroy(Fsimpan);
    destroy(Fpinjam);
    destroy(Flogin);
    destroy(Fmenu);
}
