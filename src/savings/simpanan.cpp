#include "savings/simpanan.h"

#include "data/DM.h"
#include "members/Ucari.h"
#include "runtime/controls/pendingrow.h"
#include "runtime/forms/look.h"
#include "runtime/money.h"
#include "runtime/picture.h"
#include "runtime/regional.h"
#include "savings/Uslip.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

TFsimpan *Fsimpan = nullptr;

using look::label;

TFsimpan::TFsimpan(QWidget *parent) : Form(QStringLiteral("Fsimpan"), parent)
{
    setWindowTitle(QStringLiteral("Data Simpanan Anggota"));
    setWindowIcon(QIcon(picture::loadPixmap(QStringLiteral(":/simpanan.jpg"))));
    createControls();
    arrangeControls();
    paintControls();
    resize(sizeHint().expandedTo(QSize(860, 660)));
    centerOnScreen();
    FormCreate();
}

void TFsimpan::createControls()
{
    Label1 = label(this, QStringLiteral("Label1"), QStringLiteral("No. Anggota"));
    DBEdit3 = new DBEdit(this, QStringLiteral("DBEdit3"));
    Label4 = label(this, QStringLiteral("Label4"), QStringLiteral("No. Simpan"));
    DBEdit1 = new DBEdit(this, QStringLiteral("DBEdit1"));
    Label9 = label(this, QStringLiteral("Label9"), QStringLiteral("Nama"));
    DBEdit2 = new DBEdit(this, QStringLiteral("DBEdit2"));
    Label8 = label(this, QStringLiteral("Label8"), QStringLiteral("Tgl Simpan"));
    DBETglSimpan = new DBEdit(this, QStringLiteral("DBETglSimpan"));
    for (DBEdit *box : {DBEdit3, DBEdit1, DBEdit2, DBETglSimpan})
        box->setEnabled(false);

    GroupBox1 = new QGroupBox(QStringLiteral("Rincian Saldo"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setToolTip(QStringLiteral("Rincian Saldo"));
    Label3 = label(GroupBox1, QStringLiteral("Label3"), QStringLiteral("Wajib"));
    Label6 = label(GroupBox1, QStringLiteral("Label6"), QStringLiteral("Sukarela"));
    Label7 = label(GroupBox1, QStringLiteral("Label7"), QStringLiteral("wisuda"));
    wajib = label(GroupBox1, QStringLiteral("wajib"), QString());
    suka = label(GroupBox1, QStringLiteral("suka"), QString());
    wisuda = label(GroupBox1, QStringLiteral("wisuda"), QString());
    for (QLabel *figure : {wajib, suka, wisuda})
        figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2 = label(GroupBox1, QStringLiteral("Label2"), QStringLiteral("Total Simpanan :"));
    Etotsimpanan = new QLineEdit(GroupBox1);
    Etotsimpanan->setObjectName(QStringLiteral("Etotsimpanan"));
    Etotsimpanan->setEnabled(false);
    Etotsimpanan->setAlignment(Qt::AlignRight);

    DBGrid3 = new DBGrid(this, QStringLiteral("DBGrid3"));
    DBGrid3->setHint(QStringLiteral("Tabel Anggota"));
    DBGrid3->setReadOnlyGrid(true);
    DBGrid3->setColumns({{QStringLiteral("No_Anggota")},
                         {QStringLiteral("Nama")},
                         {QStringLiteral("NPM")},
                         {QStringLiteral("JenisKelamin")},
                         {QStringLiteral("Fakultas")}});
    DBNavigator2 = new DBNavigator(this, QStringLiteral("DBNavigator2"));
    DBNavigator2->setVisibleButtons({DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last});
    DBNavigator2->setHints({QStringLiteral("Ke awal record "), QStringLiteral("Ke record sebelumnya"),
                            QStringLiteral("Ke record selanjutnya"), QStringLiteral("Ke record terakhir")});
    DBNavigator2->onClick = [this](DBNavigator::Action) { DBNavigator2Click(); };
    BitBtn2 = new BitBtn(this, QStringLiteral("BitBtn2"), BitBtn::Kind::Custom, QStringLiteral("TRANSAKSI"));
    BitBtn2->setHint(QStringLiteral("Transaksi Simpanan"));
    BitBtn2->setPicture(QStringLiteral(":/number.jpg"));
    BitBtn2->onClick = [this] { BitBtn2Click(); };

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::HLine);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setLineWidth(2);

    DBGrid1 = new DBGrid(this, QStringLiteral("DBGrid1"));
    DBGrid1->setHint(QStringLiteral("Tabel Simpanan"));
    DBGrid1->setReadOnlyGrid(false);
    // Amounts are typed cell by cell: the cursor marks the cell, not the row.
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGrid1->setColumns({{QStringLiteral("No_Simpan"), QStringLiteral("No")},
                         {QStringLiteral("Tgl_Simpan"), QStringLiteral("Tgl Simpan")},
                         {QStringLiteral("No_Anggota"), QStringLiteral("No Anggota")},
                         {QStringLiteral("S_Wajib"), QStringLiteral("S.Wajib"), Qt::AlignCenter},
                         {QStringLiteral("S_Sukarela"), QStringLiteral("S.Sukarela"), Qt::AlignCenter},
                         {QStringLiteral("S_Wisuda"), QStringLiteral("S.Wisuda"), Qt::AlignCenter},
                         {QStringLiteral("Total"), QStringLiteral("Total"), Qt::AlignCenter}});
    // Each column as wide as its widest text, a twelve-digit amount in the
    // currency text for the amounts, so that the total stays in view.
    const auto fit = [this](int column, const QString &widest) {
        const int text = DBGrid1->fontMetrics().horizontalAdvance(widest) + 10;
        DBGrid1->setColumnWidth(column, std::max(text, DBGrid1->horizontalHeader()->sectionSizeHint(column)));
    };
    const QString amount = Money::fromRaw(9'999'999'999'999'900).toCurrencyString();
    const QStringList widest{QStringLiteral("9999999"), QStringLiteral("00/00/0000"), QStringLiteral("0000000"),
                             amount, amount, amount, amount};
    for (int column = 0; column < widest.size(); ++column)
        fit(column, widest[column]);
    DBNavigator1 = new DBNavigator(this, QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons({DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Edit,
                                     DBNavigator::Post, DBNavigator::Cancel, DBNavigator::Refresh});
    DBNavigator1->setHints({QStringLiteral("Tambah data simpanan"), QStringLiteral("Hapus data simpanan"),
                            QStringLiteral("Ubah data simpanan"), QStringLiteral("Simpan data transaksi"),
                            QStringLiteral("Transaksi dibatalkan"), QStringLiteral("Refresh data")});
    DBNavigator1->setEnabled(false);

    BitBtn4 = new BitBtn(this, QStringLiteral("BitBtn4"), BitBtn::Kind::Custom, QStringLiteral("CA&RI"));
    BitBtn4->setPicture(QStringLiteral(":/search.jpg"));
    BitBtn4->onClick = [this] { BitBtn4Click(); };
    BitBtn3 = new BitBtn(this, QStringLiteral("BitBtn3"), BitBtn::Kind::Custom, QStringLiteral("RINCIAN"));
    BitBtn3->setHint(QStringLiteral("Rincian saldo"));
    BitBtn3->setPicture(QStringLiteral(":/laporan.jpg"));
    BitBtn3->setEnabled(false);
    BitBtn3->onClick = [this] { BitBtn3Click(); };
    BitBtnlapSimpan = new BitBtn(this, QStringLiteral("BitBtnlapSimpan"), BitBtn::Kind::Custom, QStringLiteral("&SLIP"));
    BitBtnlapSimpan->setHint(QStringLiteral("Slip simpanan transaksi terakhir"));
    BitBtnlapSimpan->setPicture(QStringLiteral(":/slip.jpg"));
    BitBtnlapSimpan->onClick = [this] { BitBtnlapSimpanClick(); };
    BitBtn1 = new BitBtn(this, QStringLiteral("BitBtn1"), BitBtn::Kind::Close);
    BitBtn1->setHint(QStringLiteral("Keluar dari file Simpanan"));
}

void TFsimpan::arrangeControls()
{
    auto *boxes = new QGridLayout;
    boxes->setHorizontalSpacing(10);
    boxes->addWidget(Label1, 0, 0);
    boxes->addWidget(DBEdit3, 0, 1);
    boxes->addWidget(Label4, 0, 2);
    boxes->addWidget(DBEdit1, 0, 3);
    boxes->addWidget(Label9, 1, 0);
    boxes->addWidget(DBEdit2, 1, 1, 1, 3);
    boxes->addWidget(Label8, 2, 0);
    boxes->addWidget(DBETglSimpan, 2, 1);
    boxes->setColumnStretch(1, 1);
    boxes->setColumnStretch(3, 1);
    boxes->setRowStretch(3, 1);

    auto *breakdown = new QGridLayout(GroupBox1);
    breakdown->addWidget(Label3, 0, 0);
    breakdown->addWidget(wajib, 0, 1);
    breakdown->addWidget(Label6, 1, 0);
    breakdown->addWidget(suka, 1, 1);
    breakdown->addWidget(Label7, 2, 0);
    breakdown->addWidget(wisuda, 2, 1);
    breakdown->addWidget(Label2, 3, 0, 1, 2);
    breakdown->addWidget(Etotsimpanan, 4, 0, 1, 2);
    breakdown->setColumnStretch(1, 1);
    GroupBox1->setMinimumWidth(260);

    auto *top = new QHBoxLayout;
    top->addLayout(boxes, 1);
    top->addSpacing(20);
    top->addWidget(GroupBox1);

    auto *memberBar = new QHBoxLayout;
    memberBar->addWidget(DBNavigator2);
    memberBar->addSpacing(12);
    memberBar->addWidget(BitBtn2);
    memberBar->addStretch(1);

    auto *savingsBar = new QHBoxLayout;
    savingsBar->addWidget(DBNavigator1);
    savingsBar->addStretch(1);
    for (QWidget *button : {BitBtn4, BitBtn3, BitBtnlapSimpan, BitBtn1})
        savingsBar->addWidget(button);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addWidget(DBGrid3, 2);
    layout->addLayout(memberBar);
    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 3);
    layout->addLayout(savingsBar);

    for (DBGrid *grid : {DBGrid3, DBGrid1})
        grid->horizontalHeader()->setStretchLastSection(true);
    DBGrid3->setMinimumHeight(140);
    DBGrid1->setMinimumHeight(180);
}

void TFsimpan::paintControls()
{
    look::fillWithDesktopColour(this);
    for (QLabel *caption : {Label1, Label4, Label9, Label8, Label2})
        look::setTextColour(caption, Qt::yellow);
    for (QWidget *w : std::initializer_list<QWidget *>{GroupBox1, Label3, Label6, Label7, wajib, suka, wisuda})
        look::setTextColour(w, Qt::white);
    for (QLabel *l : {Label1, Label4, Label9, Label8, Label2, Label3, Label6, Label7, wajib, suka, wisuda})
        l->setFont(look::bold(l->font()));
    for (QWidget *box : std::initializer_list<QWidget *>{DBEdit3, DBEdit1, DBEdit2, DBETglSimpan, Etotsimpanan})
        look::paintDataBox(box);
    for (BitBtn *button : {BitBtn2, BitBtn4, BitBtn3, BitBtnlapSimpan, BitBtn1}) {
        look::setButtonTextColour(button, Qt::blue);
        button->setFont(look::bold(button->font()));
    }
}

void TFsimpan::connectData()
{
    DBEdit3->setDataSource(modul->DSanggota1);
    DBEdit3->setDataField(QStringLiteral("No_Anggota"));
    DBEdit1->setDataSource(modul->DSsimpan1);
    DBEdit1->setDataField(QStringLiteral("No_Simpan"));
    DBEdit2->setDataSource(modul->DSanggota1);
    DBEdit2->setDataField(QStringLiteral("Nama"));
    DBETglSimpan->setDataSource(modul->DSsimpan1);
    DBETglSimpan->setDataField(QStringLiteral("Tgl_Simpan"));
    DBGrid3->setDataSource(modul->DSanggota1);
    DBNavigator2->setDataSource(modul->DSanggota1);
    DBGrid1->setDataSource(modul->DSsimpan1);
    DBNavigator1->setDataSource(modul->DSsimpan1);
    m_figuresMember = modul->Tanggota1->bookmark();
    connect(modul->Tanggota1, &Dataset::recordChanged, this, &TFsimpan::memberShown);
}

void TFsimpan::memberShown()
{
    const QVariant member = modul->Tanggota1->bookmark();
    if (member == m_figuresMember && !member.isNull())
        return;
    // Another member's figures must not stand beside this one.
    m_figuresMember = member;
    for (QLabel *figure : {wajib, suka, wisuda})
        figure->clear();
    Etotsimpanan->clear();
    BitBtn3->setEnabled(true);
}

void TFsimpan::lockTransaction()
{
    DBGrid1->setEnabled(false);
    DBNavigator1->setEnabled(false);
}

bool TFsimpan::FormCloseQuery()
{
    return !modul || pendingrow::resolve(*modul->Tsimpan1);
}

void TFsimpan::FormCreate()
{
    DBGrid1->setEnabled(false);
}

void TFsimpan::FormActivate()
{
    if (!modul)
        return;
    DBGrid1->setDataSource(modul->DSsimpan1);
    modul->Tsimpan1->setMasterFields(QStringLiteral("No_Anggota"));
    modul->Tsimpan1->setIndexName(QStringLiteral("IdxNoAnggota"));
    // The figures stay: they are the current member's, or empty.
}

void TFsimpan::BitBtn2Click()
{
    // Cancel chooses nothing: the window is left exactly as it was.
    const QStringList figures{wajib->text(), suka->text(), wisuda->text(), Etotsimpanan->text()};
    const bool breakdownReady = BitBtn3->isEnabled();
    const TFcari::Choice choice = Fcari->chooseMember(QStringLiteral("Transaksi Simpanan......."), true);
    if (choice == TFcari::Choice::Cancelled) {
        wajib->setText(figures.at(0));
        suka->setText(figures.at(1));
        wisuda->setText(figures.at(2));
        Etotsimpanan->setText(figures.at(3));
        BitBtn3->setEnabled(breakdownReady);
        return;
    }
    if (choice == TFcari::Choice::NotFound) {
        // Back on the member chosen before, but no deposit for a member the
        // clerk did not choose.
        lockTransaction();
        BitBtn3->setEnabled(false);
        return;
    }
    DBGrid1->setEnabled(true);
    DBNavigator1->setVisible(true);
    DBNavigator1->setEnabled(true);
    BitBtn3->setEnabled(true);
    Fcari->close();
}

void TFsimpan::BitBtn3Click()
{
    Table *savings = modul->Tsimpan1;
    // Re-reading the member table settles a deposit still being entered and
    // reads the member's savings afresh through the link, while the member
    // stays current: a nudge to a neighbour and back can end on another
    // member when the first one is current.
    modul->Tanggota1->refresh();
    Etotsimpanan->clear();

    // The breakdown is summed in floating point on purpose: it is a quick
    // look at the balance, shown in the general number format.
    double compulsory = 0;
    double voluntary = 0;
    double graduation = 0;
    double overall = 0;
    const int rows = savings->recordCount();
    for (int i = 0; i < rows; ++i) {
        compulsory += savings->fieldByName(QStringLiteral("S_Wajib"))->asFloat();
        voluntary += savings->fieldByName(QStringLiteral("S_Sukarela"))->asFloat();
        graduation += savings->fieldByName(QStringLiteral("S_Wisuda"))->asFloat();
        overall += savings->fieldByName(QStringLiteral("Total"))->asFloat();
        savings->next();
    }
    wajib->setText(regional::generalNumber(compulsory));
    suka->setText(regional::generalNumber(voluntary));
    wisuda->setText(regional::generalNumber(graduation));
    Etotsimpanan->setText(regional::generalNumber(overall));
    BitBtn3->setEnabled(false);
}

void TFsimpan::BitBtn4Click()
{
    Fcari->setWindowTitle(QStringLiteral("Cari Simpanan"));
    Fcari->showModal();
    Fcari->EnoA->clear();
}

void TFsimpan::BitBtnlapSimpanClick()
{
    // The member's last row is the latest deposit; no check for an empty list,
    // a member without savings still gets a slip with the name and address.
    modul->Tsimpan1->last();
    Fslip->PrintSimpan();
}

void TFsimpan::DBNavigator2Click()
{
    Etotsimpanan->clear();
    BitBtn3->setEnabled(true);
}
