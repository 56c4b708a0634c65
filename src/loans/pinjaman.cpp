#include "loans/pinjaman.h"

#include "app/menu.h"
#include "data/DM.h"
#include "members/Ucari.h"
#include "runtime/controls/pendingrow.h"
#include "runtime/forms/keys.h"
#include "runtime/forms/look.h"
#include "runtime/money.h"
#include "runtime/picture.h"
#include "savings/Uslip.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

TFpinjam *Fpinjam = nullptr;

namespace {

using look::label;

QGroupBox *frame(QWidget *parent, const QString &name)
{
    auto *box = new QGroupBox(parent);
    box->setObjectName(name);
    return box;
}

} // namespace

TFpinjam::TFpinjam(QWidget *parent) : Form(QStringLiteral("Fpinjam"), parent)
{
    setWindowTitle(QStringLiteral("Data Pinjaman Anggota"));
    setWindowIcon(QIcon(picture::loadPixmap(QStringLiteral(":/pinjaman.jpg"))));
    createControls();
    arrangeControls();
    paintControls();
    resize(sizeHint().expandedTo(QSize(960, 640)));
    centerOnScreen();
    FormCreate();
}

void TFpinjam::createControls()
{
    DBGrid2 = new DBGrid(this, QStringLiteral("DBGrid2"));
    DBGrid2->setHint(QStringLiteral("Data Anggota"));
    DBGrid2->setReadOnlyGrid(true);
    DBGrid2->setColumns({{QStringLiteral("No_Anggota")},
                         {QStringLiteral("Nama")},
                         {QStringLiteral("NPM")},
                         {QStringLiteral("JenisKelamin")},
                         {QStringLiteral("Fakultas")}});

    GroupBox1 = frame(this, QStringLiteral("GroupBox1"));
    DBNavigator3 = new DBNavigator(GroupBox1, QStringLiteral("DBNavigator3"));
    DBNavigator3->setVisibleButtons({DBNavigator::First, DBNavigator::Last});
    DBNavigator3->setHints({QStringLiteral("Record pertama"), QStringLiteral("Record terakhir")});
    DBNavigator1 = new DBNavigator(GroupBox1, QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons({DBNavigator::Prior, DBNavigator::Next});
    DBNavigator1->setHints({QStringLiteral("Ke record sebelumnya"), QStringLiteral("Ke record selanjutnya")});
    BitBtnTransPinjam = new BitBtn(GroupBox1, QStringLiteral("BitBtnTransPinjam"), BitBtn::Kind::Custom,
                                   QStringLiteral("&TRANSAKSI"));
    BitBtnTransPinjam->setHint(QStringLiteral("Transaksi simpanan"));
    BitBtnTransPinjam->setPicture(QStringLiteral(":/number.jpg"));
    BitBtnTransPinjam->onClick = [this] { BitBtnTransPinjamClick(); };

    Label2 = label(this, QStringLiteral("Label2"), QStringLiteral("No. Anggota"));
    DBText1 = new DBText(this, QStringLiteral("DBText1"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::HLine);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setLineWidth(2);

    Label1 = label(this, QStringLiteral("Label1"), QStringLiteral("Besar Pinjam"));
    DBEbespin = new DBEdit(this, QStringLiteral("DBEbespin"));
    Label7 = label(this, QStringLiteral("Label7"), QStringLiteral("Jaminan"));
    DBEjamin = new DBEdit(this, QStringLiteral("DBEjamin"));
    keys::onKeyPress(DBEbespin, [this](int &key) { DBEbespinKeyPress(key); });

    DBGrid1 = new DBGrid(this, QStringLiteral("DBGrid1"));
    DBGrid1->setHint(QStringLiteral("Data Pinjaman"));
    DBGrid1->setReadOnlyGrid(false);
    // Amounts are typed cell by cell: the cursor marks the cell, not the row.
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGrid1->setColumns({{QStringLiteral("No_Pinjaman"), QStringLiteral("No")},
                         {QStringLiteral("Tgl_Pinjam"), QStringLiteral("Tgl Pinjam")},
                         {QStringLiteral("Besar_Pinjam"), QStringLiteral("Besar Pinjam")},
                         {QStringLiteral("Jaminan"), QStringLiteral("Jaminan"), Qt::AlignCenter},
                         {QStringLiteral("adm"), QStringLiteral("Administrasi")},
                         {QStringLiteral("TotPinjam"), QStringLiteral("Total Pinjam"), Qt::AlignCenter}});
    // Number, date and amounts as wide as their widest texts, a twelve-digit
    // amount in the currency text for the amounts; the guarantee keeps the
    // rest.
    const auto fit = [this](int column, const QString &widest) {
        const int text = DBGrid1->fontMetrics().horizontalAdvance(widest) + 10;
        DBGrid1->setColumnWidth(column, std::max(text, DBGrid1->horizontalHeader()->sectionSizeHint(column)));
    };
    const QString amount = Money::fromRaw(9'999'999'999'999'900).toCurrencyString();
    fit(0, QStringLiteral("9999999"));
    fit(1, QStringLiteral("00/00/0000"));
    for (int column : {2, 4, 5})
        fit(column, amount);

    // Hidden: the main window's clock keeps today's date in it.
    DBEtglP = new DBEdit(this, QStringLiteral("DBEtglP"));
    DBEtglP->setEnabled(false);
    DBEtglP->setVisible(false);

    DBNavigator2 = new DBNavigator(this, QStringLiteral("DBNavigator2"));
    DBNavigator2->setVisibleButtons({DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Edit,
                                     DBNavigator::Post, DBNavigator::Cancel, DBNavigator::Refresh});
    DBNavigator2->setHint(QStringLiteral("Tambah, Hapus, Edit, Simpan, Batal, Refresh Data Pinjaman"));
    DBNavigator2->setHints({QStringLiteral("Tambah Data Pinjaman"), QStringLiteral("Hapus Data Pinjaman"),
                            QStringLiteral("Ubah Data Pinjaman"), QStringLiteral("Simpan transaksi pinjaman"),
                            QStringLiteral("Batal transaksi"), QStringLiteral("Refresh data")});
    DBNavigator2->setEnabled(false);

    GroupBox2 = frame(this, QStringLiteral("GroupBox2"));
    BitBtn3 = new BitBtn(GroupBox2, QStringLiteral("BitBtn3"), BitBtn::Kind::Custom, QStringLiteral("CA&RI"));
    BitBtn3->setPicture(QStringLiteral(":/search.jpg"));
    BitBtn3->onClick = [this] { BitBtn3Click(); };
    BitBtn2 = new BitBtn(GroupBox2, QStringLiteral("BitBtn2"), BitBtn::Kind::Custom, QStringLiteral("&SLIP"));
    BitBtn2->setHint(QStringLiteral("Slip untuk transaksi terakhir"));
    BitBtn2->setPicture(QStringLiteral(":/slip.jpg"));
    BitBtn2->onClick = [this] { BitBtn2Click(); };
    BitBtn1 = new BitBtn(GroupBox2, QStringLiteral("BitBtn1"), BitBtn::Kind::Close);
    BitBtn1->setHint(QStringLiteral("Tutup file pinjaman"));

    Label3 = label(this, QStringLiteral("Label3"), QString());
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TFpinjam::arrangeControls()
{
    auto *memberButtons = new QVBoxLayout(GroupBox1);
    memberButtons->addWidget(DBNavigator3, 0, Qt::AlignHCenter);
    memberButtons->addWidget(DBNavigator1, 0, Qt::AlignHCenter);
    memberButtons->addWidget(BitBtnTransPinjam);

    auto *memberSide = new QVBoxLayout;
    memberSide->addWidget(GroupBox1);
    memberSide->addSpacing(10);
    memberSide->addWidget(Label2);
    memberSide->addWidget(DBText1);
    memberSide->addStretch(1);

    auto *memberPart = new QHBoxLayout;
    memberPart->addWidget(DBGrid2, 1);
    memberPart->addSpacing(10);
    memberPart->addLayout(memberSide);

    auto *boxes = new QGridLayout;
    boxes->setHorizontalSpacing(10);
    boxes->addWidget(Label1, 0, 0);
    boxes->addWidget(DBEbespin, 0, 1);
    boxes->addWidget(Label7, 1, 0);
    boxes->addWidget(DBEjamin, 1, 1);
    boxes->setColumnStretch(2, 1);
    DBEbespin->setMinimumWidth(200);
    DBEjamin->setMinimumWidth(200);

    auto *loanPart = new QVBoxLayout;
    loanPart->addLayout(boxes);
    loanPart->addWidget(DBGrid1, 1);
    loanPart->addWidget(DBNavigator2, 0, Qt::AlignLeft);

    auto *commands = new QVBoxLayout(GroupBox2);
    for (QWidget *button : {BitBtn3, BitBtn2, BitBtn1})
        commands->addWidget(button);

    auto *loanSide = new QVBoxLayout;
    loanSide->addWidget(GroupBox2);
    loanSide->addStretch(1);
    loanSide->addWidget(Label3);

    auto *lower = new QHBoxLayout;
    lower->addLayout(loanPart, 1);
    lower->addSpacing(10);
    lower->addLayout(loanSide);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(memberPart, 2);
    layout->addWidget(Panel1);
    layout->addLayout(lower, 3);

    for (DBGrid *grid : {DBGrid2, DBGrid1})
        grid->horizontalHeader()->setStretchLastSection(true);
    DBGrid2->setMinimumHeight(160);
    DBGrid1->setMinimumHeight(180);
    GroupBox1->setMinimumWidth(200);
    GroupBox2->setMinimumWidth(200);
}

void TFpinjam::paintControls()
{
    look::fillWithDesktopColour(this);
    for (QLabel *caption : {Label2, Label1, Label7}) {
        look::setTextColour(caption, Qt::yellow);
        caption->setFont(look::bold(caption->font()));
    }
    for (QLabel *large : {static_cast<QLabel *>(DBText1), Label3}) {
        look::setTextColour(large, look::Fuchsia);
        large->setFont(look::bold(large->font(), 1.8));
    }
    for (QWidget *box : std::initializer_list<QWidget *>{DBEbespin, DBEjamin, DBEtglP})
        look::paintDataBox(box);
    for (BitBtn *button : {BitBtnTransPinjam, BitBtn3, BitBtn2, BitBtn1}) {
        look::setButtonTextColour(button, Qt::blue);
        button->setFont(look::bold(button->font()));
    }
}

void TFpinjam::connectData()
{
    DBGrid2->setDataSource(modul->DSanggota1);
    DBNavigator3->setDataSource(modul->DSanggota1);
    DBNavigator1->setDataSource(modul->DSanggota1);
    DBText1->setDataSource(modul->DSanggota1);
    DBText1->setDataField(QStringLiteral("No_Anggota"));
    DBEbespin->setDataSource(modul->DSpinjam);
    DBEbespin->setDataField(QStringLiteral("Besar_Pinjam"));
    DBEjamin->setDataSource(modul->DSpinjam);
    DBEjamin->setDataField(QStringLiteral("Jaminan"));
    DBGrid1->setDataSource(modul->DSpinjam);
    DBEtglP->setDataSource(modul->DSpinjam);
    DBEtglP->setDataField(QStringLiteral("Tgl_Pinjam"));
    DBNavigator2->setDataSource(modul->DSpinjam);
    connect(modul->Tpinjam, &Dataset::stateChanged, this, &TFpinjam::gateEntryBoxes);
    gateEntryBoxes();
}

void TFpinjam::gateEntryBoxes()
{
    // The same gate as the grid: a loan changes only inside a transaction,
    // on a row inserted or opened for editing.
    const bool open = DBGrid1->isEnabled() && modul && modul->Tpinjam->isEditing();
    for (DBEdit *box : {DBEbespin, DBEjamin})
        box->setLocked(!open);
}

void TFpinjam::lockTransaction()
{
    DBGrid1->setEnabled(false);
    DBNavigator2->setEnabled(false);
    gateEntryBoxes();
}

bool TFpinjam::FormCloseQuery()
{
    return !modul || pendingrow::resolve(*modul->Tpinjam);
}

void TFpinjam::FormCreate()
{
    DBGrid1->setEnabled(false);
}

void TFpinjam::FormActivate()
{
    if (!modul)
        return;
    if (!modul->Tpinjam->isActive())
        modul->Tpinjam->open();
    // Today's date as the main window last wrote it; not updated while active.
    Label3->setText(Fmenu->Label2->text());
}

void TFpinjam::FormClose()
{
    // A loan still being entered was stored or dropped when the clerk was
    // asked; closing the table drops nothing more.
    if (modul)
        modul->Tpinjam->close();
}

void TFpinjam::BitBtnTransPinjamClick()
{
    const TFcari::Choice choice = Fcari->chooseMember(QStringLiteral("Transaksi Pinjaman......."), true);
    if (choice == TFcari::Choice::Cancelled)
        return;
    if (choice == TFcari::Choice::NotFound) {
        // Back on the member chosen before, but no loan for a member the
        // clerk did not choose.
        lockTransaction();
        return;
    }
    DBGrid1->setEnabled(true);
    DBNavigator2->setVisible(true);
    DBNavigator2->setEnabled(true);
    gateEntryBoxes();
    Fcari->close();
}

void TFpinjam::BitBtn3Click()
{
    Fcari->setWindowTitle(QStringLiteral("Cari Pinjaman"));
    Fcari->showModal();
    Fcari->EnoA->clear();
}

void TFpinjam::BitBtn2Click()
{
    // The member's last row is the latest loan; a member without loans still
    // gets a slip with the name and address.
    modul->Tpinjam->last();
    Fslip->PrintPinjam();
}

void TFpinjam::DBEbespinKeyPress(int &key)
{
    // Enter moves on to the guarantee; the key itself goes on to the box.
    if (key == 13)
        DBEjamin->setFocus();
}
