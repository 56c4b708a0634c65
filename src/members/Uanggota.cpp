#include "members/Uanggota.h"

#include "data/DM.h"
#include "members/Ucari.h"
#include "runtime/abort.h"
#include "runtime/controls/pendingrow.h"
#include "runtime/forms/keys.h"
#include "runtime/forms/look.h"
#include "runtime/forms/messages.h"
#include "runtime/picture.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QVBoxLayout>

TFanggota *Fanggota = nullptr;

namespace {

bool isDigit(int key)
{
    return key >= '0' && key <= '9';
}

// Lets the character through when `accepted` says so; otherwise discards it
// and tells the operator why.
void filterKey(int &key, bool accepted, const QString &message)
{
    if (accepted)
        return;
    key = 0;
    messages::warning(message);
}

using look::label;

DBEdit *edit(QWidget *parent, const QString &name, const QString &field)
{
    auto *e = new DBEdit(parent, name);
    e->setDataSource(modul->DSanggota1);
    e->setDataField(field);
    return e;
}

DBComboBox *combo(QWidget *parent, const QString &name, const QString &field, const QStringList &items)
{
    auto *c = new DBComboBox(parent, name);
    c->addItems(items);
    c->setDataSource(modul->DSanggota1);
    c->setDataField(field);
    return c;
}

// Width of an input that shows `characters` characters comfortably.
int widthFor(const QWidget *widget, int characters)
{
    return widget->fontMetrics().horizontalAdvance(QLatin1Char('W')) * characters * 3 / 4 + 16;
}

// Keeps a widget's place in its layout while it is hidden, so that showing
// and hiding the state-dependent controls does not shift the window.
void keepPlace(QWidget *widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

// Gives each grid column room for its field's width in characters (and its
// title), again whenever the grid's rows are read afresh.
void sizeColumns(DBGrid *grid, const QList<int> &characters)
{
    auto apply = [grid, characters] {
        const QFontMetrics metrics = grid->fontMetrics();
        const QFontMetrics titleMetrics(grid->horizontalHeader()->font());
        for (int c = 0; c < characters.size() && c < grid->model()->columnCount(); ++c) {
            const QString title = grid->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            const int content = metrics.horizontalAdvance(QLatin1Char('0')) * characters.at(c);
            grid->setColumnWidth(c, std::max(content, titleMetrics.horizontalAdvance(title)) + 16);
        }
    };
    apply();
    QObject::connect(grid->model(), &QAbstractItemModel::modelReset, grid, apply);
}

} // namespace

TFanggota::TFanggota(QWidget *parent) : Form(QStringLiteral("Fanggota"), parent)
{
    setWindowTitle(QStringLiteral("Pengolahan Data Anggota"));
    setWindowIcon(QIcon(picture::loadPixmap(QStringLiteral(":/anggota.jpg"))));
    createControls();
    bindControls();
    arrangeControls();
    connectHandlers();
    resize(sizeHint().expandedTo(QSize(980, 720)));
    centerOnScreen();
}

TFanggota::~TFanggota()
{
    if (modul)
        modul->Tanggota1->beforeSettle = nullptr;
}

void TFanggota::createControls()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Raised);
    Label1 = label(Panel1, QStringLiteral("Label1"), QStringLiteral("DATA ANGGOTA KOPMA UNRAWI"));
    Label1->setFont(look::bold(Label1->font(), 1.6));
    Label1->setAlignment(Qt::AlignCenter);
    DBEtglDaftar = edit(Panel1, QStringLiteral("DBEtglDaftar"), QStringLiteral("Tgl_Daftar"));
    DBEtglDaftar->setVisible(false);

    LabelCari = label(this, QStringLiteral("LabelCari"), QStringLiteral("Cari (nama/NPM)"));
    ECari = new QLineEdit(this);
    ECari->setObjectName(QStringLiteral("ECari"));
    ECari->setClearButtonEnabled(true);
    LabelCari->setBuddy(ECari);

    DBGrid1 = new DBGrid(this, QStringLiteral("DBGrid1"));
    BitBtn1 = new BitBtn(this, QStringLiteral("BitBtn1"));
    BitBtn2 = new BitBtn(this, QStringLiteral("BitBtn2"));
    BitBtn3 = new BitBtn(this, QStringLiteral("BitBtn3"));
    BitBtn4 = new BitBtn(this, QStringLiteral("BitBtn4"));
    BitBtn1->setPicture(QStringLiteral(":/first.jpg"));
    BitBtn2->setPicture(QStringLiteral(":/prior.jpg"));
    BitBtn3->setPicture(QStringLiteral(":/next.jpg"));
    BitBtn4->setPicture(QStringLiteral(":/last.jpg"));
    BitBtn1->setHint(QStringLiteral("ke awal record"));
    BitBtn2->setHint(QStringLiteral("Ke record sebelumnya"));
    BitBtn3->setHint(QStringLiteral("Ke Record selanjutnya"));
    BitBtn4->setHint(QStringLiteral("Ke record terakhir"));

    DBGrid2 = new DBGrid(this, QStringLiteral("DBGrid2"));
    DBGrid2->setHint(QStringLiteral("Tabel Orang Tua"));
    DBGrid2->setReadOnlyGrid(false);
    DBGrid2->setEnabled(false);
    DBNavigator2 = new DBNavigator(this, QStringLiteral("DBNavigator2"));
    DBNavigator2->setVisibleButtons({DBNavigator::Delete, DBNavigator::Edit, DBNavigator::Post,
                                     DBNavigator::Cancel, DBNavigator::Refresh});
    DBNavigator2->setHints({QStringLiteral("Hapus data orangtua"), QStringLiteral("Ubah data orangtua"),
                            QStringLiteral("Simpan data orangtua"), QStringLiteral("Batal menyimpan data orangtua"),
                            QStringLiteral("Refresh data")});
    DBNavigator2->setEnabled(false);

    Label7 = label(this, QStringLiteral("Label7"), QStringLiteral("No. Anggota :"));
    DBText1 = new DBText(this, QStringLiteral("DBText1"));
    Label16 = label(this, QStringLiteral("Label16"), QStringLiteral("Fakultas :"));
    DBText2 = new DBText(this, QStringLiteral("DBText2"));
    const QFont large = look::bold(DBText1->font(), 1.7);
    DBText1->setFont(large);
    DBText2->setFont(large);
    DBText1->setMinimumWidth(QFontMetrics(large).horizontalAdvance(QStringLiteral("0000000")) + 8);

    Label4 = label(this, QStringLiteral("Label4"), QStringLiteral("NPM"));
    DBEnpm = edit(this, QStringLiteral("DBEnpm"), QStringLiteral("NPM"));
    Label3 = label(this, QStringLiteral("Label3"), QStringLiteral("NBK"));
    DBEnbk = edit(this, QStringLiteral("DBEnbk"), QStringLiteral("NBK"));
    DBEnbk->setMaxLengthOverride(3);
    SpeedButton1 = new SpeedButton(this, QStringLiteral("SpeedButton1"));
    SpeedButton1->setPicture(QStringLiteral(":/number.jpg"));
    SpeedButton1->setVisible(false);

    Label15 = label(this, QStringLiteral("Label15"), QStringLiteral("No. Anggota"));
    EnoA = new QLineEdit(QStringLiteral("EnoA"), this);
    EnoA->setObjectName(QStringLiteral("EnoA"));
    EnoA->setMaxLength(7);
    EnoA->setEnabled(false);
    EnoA->setVisible(false);
    Eawal = new QLineEdit(QStringLiteral("Eawal"), this);
    Eawal->setObjectName(QStringLiteral("Eawal"));
    Eawal->setVisible(false);
    DBEawal = edit(this, QStringLiteral("DBEawal"), QStringLiteral("AwalNoA"));
    DBEawal->setEnabled(false);
    DBEawal->setVisible(false);
    DBEnoA = edit(this, QStringLiteral("DBEnoA"), QStringLiteral("No_Anggota"));
    DBEnoA->setEnabled(false);
    DBEnoA->setVisible(false);

    Label5 = label(this, QStringLiteral("Label5"), QStringLiteral("Nama"));
    DBEnama = edit(this, QStringLiteral("DBEnama"), QStringLiteral("Nama"));
    Label14 = label(this, QStringLiteral("Label14"), QStringLiteral("Tmp/Tgl Lahir"));
    DBEtmpl = edit(this, QStringLiteral("DBEtmpl"), QStringLiteral("Tempat_Lahir"));
    DBEtgll = edit(this, QStringLiteral("DBEtgll"), QStringLiteral("Tgl_Lahir"));
    DBEtgll->setMaxLengthOverride(8);
    Label13 = label(this, QStringLiteral("Label13"), QStringLiteral("*dd/mm/yy*"));
    Label10 = label(this, QStringLiteral("Label10"), QStringLiteral("Alamat"));
    DBEalamat = edit(this, QStringLiteral("DBEalamat"), QStringLiteral("Alamat"));
    Label12 = label(this, QStringLiteral("Label12"), QStringLiteral("Kodepos"));
    DBEkodepos = edit(this, QStringLiteral("DBEkodepos"), QStringLiteral("Kodepos"));
    Label11 = label(this, QStringLiteral("Label11"), QStringLiteral("No. Telp."));
    DBEtelp = edit(this, QStringLiteral("DBEtelp"), QStringLiteral("No_Telp"));

    Label6 = label(this, QStringLiteral("Label6"), QStringLiteral("Jenis Kelamin "));
    DBCjk = combo(this, QStringLiteral("DBCjk"), QStringLiteral("JK"), {QStringLiteral("P"), QStringLiteral("W")});
    Label9 = label(this, QStringLiteral("Label9"), QStringLiteral("Gol. Darah"));
    DBCdarah = combo(this, QStringLiteral("DBCdarah"), QStringLiteral("Gol_Darah"),
                     {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("O"), QStringLiteral("AB")});
    Label8 = label(this, QStringLiteral("Label8"), QStringLiteral("Agama"));
    DBCagama = combo(this, QStringLiteral("DBCagama"), QStringLiteral("Agama"),
                     {QStringLiteral("Islam "), QStringLiteral("Katholik"), QStringLiteral("Protestan"),
                      QStringLiteral("Hindu"), QStringLiteral("Budha")});

    BitBtn7 = new BitBtn(this, QStringLiteral("BitBtn7"), BitBtn::Kind::Ok, QStringLiteral("Save"));
    BitBtn7->setHint(QStringLiteral("Simpan data anggota"));
    BitBtn7->setEnabled(false);
    BitBtn8 = new BitBtn(this, QStringLiteral("BitBtn8"), BitBtn::Kind::Cancel, QStringLiteral("Cancel"));
    BitBtn8->setHint(QStringLiteral("Batal"));
    BitBtn8->setEnabled(false);
    SimpanEdit = new Button(this, QStringLiteral("SimpanEdit"), QStringLiteral("Save"));
    SimpanEdit->setEnabled(false);
    SimpanEdit->setVisible(false);
    BatalEDIT = new BitBtn(this, QStringLiteral("BatalEDIT"), BitBtn::Kind::Cancel, QStringLiteral("Cancel"));
    BatalEDIT->setEnabled(false);
    BatalEDIT->setVisible(false);

    BitBtn6 = new BitBtn(this, QStringLiteral("BitBtn6"), BitBtn::Kind::Custom, QStringLiteral("CARI &ANGGOTA"));
    BitBtn6->setPicture(QStringLiteral(":/search.jpg"));
    BitBtn6->setHint(QStringLiteral("Cari data anggota"));
    BBTambahData = new BitBtn(this, QStringLiteral("BBTambahData"), BitBtn::Kind::Custom, QStringLiteral("&TAMBAH DATA"));
    BBTambahData->setHint(QStringLiteral("Tambah data anggota"));
    BBedit = new BitBtn(this, QStringLiteral("BBedit"), BitBtn::Kind::Custom, QStringLiteral("&EDIT"));
    BBedit->setHint(QStringLiteral("Mengubah data anggota"));
    BBhapus = new BitBtn(this, QStringLiteral("BBhapus"), BitBtn::Kind::Custom, QStringLiteral("&HAPUS"));
    BBhapus->setHint(QStringLiteral("Menghapus data anggota"));
    BitBtn5 = new BitBtn(this, QStringLiteral("BitBtn5"), BitBtn::Kind::Close);
    BitBtn5->setHint(QStringLiteral("Tutup file Anggota"));
}

void TFanggota::bindControls()
{
    DBGrid1->setDataSource(modul->DSanggota1);
    const QStringList memberColumns{
        QStringLiteral("No_Anggota"), QStringLiteral("Tgl_Daftar"), QStringLiteral("Nama"),
        QStringLiteral("Fakultas"), QStringLiteral("NPM"), QStringLiteral("NBK"),
        QStringLiteral("JenisKelamin"), QStringLiteral("Tempat_Lahir"), QStringLiteral("Tgl_Lahir"),
        QStringLiteral("Gol_Darah"), QStringLiteral("Agama"), QStringLiteral("Alamat"),
        QStringLiteral("Kodepos"), QStringLiteral("No_Telp")};
    QList<GridColumn> columns;
    for (const QString &name : memberColumns)
        columns.append(GridColumn{name, {}});
    DBGrid1->setColumns(columns);

    DBGrid2->setDataSource(modul->DSortu);
    DBGrid2->setColumns({{QStringLiteral("No_Anggota"), {}}, {QStringLiteral("Nama_Ortu"), {}},
                         {QStringLiteral("Alamat_Ortu"), {}}, {QStringLiteral("Kodepos_Ortu"), {}},
                         {QStringLiteral("Telp_Ortu"), {}}});
    DBNavigator2->setDataSource(modul->DSortu);

    DBText1->setDataSource(modul->DSanggota1);
    DBText1->setDataField(QStringLiteral("No_Anggota"));
    DBText2->setDataSource(modul->DSanggota1);
    DBText2->setDataField(QStringLiteral("Fakultas"));
}

void TFanggota::arrangeControls()
{
    auto *panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(12, 8, 12, 8);
    panelLayout->addWidget(Label1, 1);
    panelLayout->addWidget(DBEtglDaftar);

    DBEnpm->setFixedWidth(widthFor(DBEnpm, 10));
    DBEnbk->setFixedWidth(widthFor(DBEnbk, 5));
    EnoA->setFixedWidth(widthFor(EnoA, 9));
    DBEnama->setFixedWidth(widthFor(DBEnama, 22));
    DBEtmpl->setFixedWidth(widthFor(DBEtmpl, 12));
    DBEtgll->setFixedWidth(widthFor(DBEtgll, 9));
    DBEalamat->setFixedWidth(widthFor(DBEalamat, 32));
    DBEkodepos->setFixedWidth(widthFor(DBEkodepos, 7));
    DBEtelp->setFixedWidth(widthFor(DBEtelp, 17));
    for (DBComboBox *c : {DBCjk, DBCdarah, DBCagama})
        c->setFixedWidth(widthFor(c, 13));
    QFont hintFont = Label13->font();
    hintFont.setItalic(true);
    Label13->setFont(hintFont);
    for (QWidget *w : std::initializer_list<QWidget *>{SpeedButton1, EnoA, BitBtn7, BitBtn8, SimpanEdit, BatalEDIT})
        keepPlace(w);

    // The member's identity, label beside input, in the clerk's typing order.
    auto *identity = new QGridLayout;
    identity->setHorizontalSpacing(10);
    identity->setVerticalSpacing(7);
    auto *numberRow = new QHBoxLayout;
    numberRow->addWidget(Label7);
    numberRow->addWidget(DBText1);
    numberRow->addSpacing(30);
    numberRow->addWidget(Label16);
    numberRow->addWidget(DBText2);
    numberRow->addStretch(1);
    identity->addLayout(numberRow, 0, 0, 1, 5);

    auto *nbkRow = new QHBoxLayout;
    nbkRow->setSpacing(4);
    nbkRow->addWidget(DBEnbk);
    nbkRow->addWidget(SpeedButton1);
    nbkRow->addStretch(1);
    auto *birthRow = new QHBoxLayout;
    birthRow->setSpacing(6);
    birthRow->addWidget(DBEtmpl);
    birthRow->addWidget(DBEtgll);
    birthRow->addWidget(Label13);
    birthRow->addStretch(1);

    identity->addWidget(Label4, 1, 0);
    identity->addWidget(DBEnpm, 1, 1);
    identity->addWidget(Label15, 1, 2);
    identity->addWidget(Label3, 2, 0);
    identity->addLayout(nbkRow, 2, 1);
    identity->addWidget(EnoA, 2, 2);
    identity->addWidget(Label5, 3, 0);
    identity->addWidget(DBEnama, 3, 1, 1, 2);
    identity->addWidget(Label14, 4, 0);
    identity->addLayout(birthRow, 4, 1, 1, 2);
    identity->addWidget(Label10, 5, 0);
    identity->addWidget(DBEalamat, 5, 1, 1, 2);
    identity->addWidget(Label12, 6, 0);
    identity->addWidget(DBEkodepos, 6, 1);
    identity->addWidget(Label11, 7, 0);
    identity->addWidget(DBEtelp, 7, 1, 1, 2);
    identity->addWidget(Label6, 1, 3);
    identity->addWidget(DBCjk, 1, 4);
    identity->addWidget(Label9, 2, 3);
    identity->addWidget(DBCdarah, 2, 4);
    identity->addWidget(Label8, 3, 3);
    identity->addWidget(DBCagama, 3, 4);
    identity->setColumnMinimumWidth(2, EnoA->width());
    identity->setColumnStretch(5, 1);
    for (QWidget *hidden : std::initializer_list<QWidget *>{Eawal, DBEawal, DBEnoA})
        identity->addWidget(hidden, 8, 0);

    // The two Save/Cancel pairs share one place: only one pair is ever shown.
    auto *saveCancel = new QGridLayout;
    saveCancel->addWidget(BitBtn7, 0, 0);
    saveCancel->addWidget(SimpanEdit, 0, 0);
    saveCancel->addWidget(BitBtn8, 0, 1);
    saveCancel->addWidget(BatalEDIT, 0, 1);

    auto *commands = new QVBoxLayout;
    commands->setSpacing(6);
    for (QWidget *w : std::initializer_list<QWidget *>{BBTambahData, BBedit, BBhapus, BitBtn6}) {
        w->setMinimumWidth(150);
        commands->addWidget(w);
    }
    commands->addStretch(1);
    commands->addLayout(saveCancel);
    commands->addWidget(BitBtn5);

    auto *upper = new QHBoxLayout;
    upper->addLayout(identity, 1);
    upper->addSpacing(12);
    upper->addLayout(commands);

    auto *navigation = new QHBoxLayout;
    navigation->setSpacing(2);
    for (BitBtn *b : {BitBtn1, BitBtn2, BitBtn3, BitBtn4}) {
        b->setIconSize(QSize(24, 24));
        b->setFixedSize(36, 32);
        navigation->addWidget(b);
    }
    navigation->addStretch(1);

    auto *parents = new QHBoxLayout;
    parents->addWidget(DBGrid2, 1);
    auto *parentsNavigator = new QVBoxLayout;
    parentsNavigator->addWidget(DBNavigator2);
    parentsNavigator->addStretch(1);
    parents->addLayout(parentsNavigator);
    DBGrid2->setMinimumHeight(90);
    DBGrid2->setMaximumHeight(120);
    DBGrid1->setMinimumHeight(200);
    sizeColumns(DBGrid1, {7, 10, 20, 13, 8, 3, 6, 10, 10, 2, 9, 30, 5, 15});
    DBGrid2->horizontalHeader()->setStretchLastSection(true);
    sizeColumns(DBGrid2, {7, 20, 30, 6, 15});

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(12, 10, 12, 12);
    page->setSpacing(8);
    page->addWidget(Panel1);
    page->addLayout(upper);
    auto *search = new QHBoxLayout;
    search->addWidget(LabelCari);
    ECari->setFixedWidth(widthFor(ECari, 28));
    search->addWidget(ECari);
    search->addStretch(1);
    page->addLayout(search);
    page->addWidget(DBGrid1, 1);
    page->addLayout(navigation);
    page->addLayout(parents);

    // Keyboard order of the member inputs.
    const QList<QWidget *> order{DBEnpm, DBEnbk, DBEnama, DBEtmpl, DBEtgll, DBEalamat, DBEkodepos, DBEtelp,
                                 DBCjk,  DBCdarah, DBCagama, BitBtn7, BitBtn8, SimpanEdit, BatalEDIT,
                                 BBTambahData, BBedit, BBhapus, BitBtn6, BitBtn5, ECari, DBGrid1, BitBtn1,
                                 BitBtn2, BitBtn3, BitBtn4, DBGrid2};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

void TFanggota::connectHandlers()
{
    BitBtn1->onClick = [this] { BitBtn1Click(); };
    BitBtn2->onClick = [this] { BitBtn2Click(); };
    BitBtn3->onClick = [this] { BitBtn3Click(); };
    BitBtn4->onClick = [this] { BitBtn4Click(); };
    BBTambahData->onClick = [this] { BBTambahDataClick(); };
    SpeedButton1->onClick = [this] { SpeedButton1Click(); };
    BitBtn7->onClick = [this] { BitBtn7Click(); };
    BitBtn8->onClick = [this] { BitBtn8Click(); };
    BBedit->onClick = [this] { BBeditClick(); };
    SimpanEdit->onClick = [this] { SimpanEditClick(); };
    BatalEDIT->onClick = [this] { BatalEDITClick(); };
    BBhapus->onClick = [this] { BBhapusClick(); };
    BitBtn6->onClick = [this] { BitBtn6Click(); };
    connect(ECari, &QLineEdit::textEdited, this, [this] { ECariChange(); });
    connect(ECari, &QLineEdit::returnPressed, this, [this] { ECariEnter(); });
    DBNavigator2->onClick = [this](DBNavigator::Action action) { DBNavigator2Click(action); };

    connect(DBEnpm, &QLineEdit::textChanged, this, [this] { DBEnpmChange(); });
    connect(DBEawal, &QLineEdit::textChanged, this, [this] { DBEawalChange(); });
    connect(DBEnbk, &QLineEdit::textChanged, this, [this] { DBEnbkChange(); });
    // The mirror holds the current member's prefix from the start: Save
    // (edit) of the member shown first builds its number from it.
    DBEawalChange();

    keys::onKeyPress(DBEnpm, [this](int &key) { DBEnpmKeyPress(key); });
    keys::onKeyPress(DBEnbk, [this](int &key) { DBEnbkKeyPress(key); });
    keys::onKeyPress(DBEtgll, [this](int &key) { DBEtgllKeyPress(key); });
    keys::onKeyPress(DBEkodepos, [this](int &key) { DBEkodeposKeyPress(key); });
    keys::onKeyPress(DBEtelp, [this](int &key) { DBEtelpKeyPress(key); });
    keys::onClick(DBEnama, [this] { DBEnamaClick(); });
    keys::onClick(DBEtelp, [this] { DBEtelpClick(); });

    connect(modul->Tanggota1, &Dataset::stateChanged, this, &TFanggota::followMemberState);
    modul->Tanggota1->beforeSettle = [this](Dataset &) { settleMember(); };
}

// Navigation ------------------------------------------------------------------

void TFanggota::BitBtn1Click()
{
    modul->Tanggota1->first();
}

void TFanggota::BitBtn2Click()
{
    modul->Tanggota1->prior();
    if (modul->Tanggota1->bof())
        messages::showMessage(QStringLiteral("Anda sudah di awal data !!"));
}

void TFanggota::BitBtn3Click()
{
    modul->Tanggota1->next();
    if (modul->Tanggota1->eof())
        messages::showMessage(QStringLiteral("Anda sudah di akhir data !!"));
}

void TFanggota::BitBtn4Click()
{
    modul->Tanggota1->last();
}

// Search by name or NPM ---------------------------------------------------------

void TFanggota::ECariChange()
{
    if (ECari->text().trimmed().isEmpty()) {
        m_searchMatched = true;
        return;
    }
    findByText(false);
}

void TFanggota::ECariEnter()
{
    if (ECari->text().trimmed().isEmpty())
        return;
    m_searchMatched = true;
    findByText(true);
}

void TFanggota::findByText(bool next)
{
    const bool found = modul->findMemberByText(ECari->text(), next);
    if (!found && m_searchMatched)
        messages::showMessage(QStringLiteral("Data Tidak Ditemukan"));
    m_searchMatched = found;
}

// Adding ----------------------------------------------------------------------

void TFanggota::BBTambahDataClick()
{
    // A row still pending is settled (and the clerk asked) before the
    // window changes at all.
    modul->Tanggota1->checkBrowseMode();
    DBNavigator2->setEnabled(true);
    for (QWidget *w : std::initializer_list<QWidget *>{SpeedButton1, EnoA, Label15, BitBtn7, BitBtn8})
        w->setVisible(true);
    BitBtn7->setEnabled(true);
    BitBtn8->setEnabled(true);
    BatalEDIT->setVisible(false);
    SimpanEdit->setVisible(false);
    m_mode = Mode::Adding;
    ECari->setEnabled(m_mode == Mode::Browsing);
    modul->Tanggota1->insert();
}

void TFanggota::DBEnpmChange()
{
    Eawal->setText(DBEawal->text());
}

void TFanggota::DBEawalChange()
{
    Eawal->setText(DBEawal->text());
}

void TFanggota::DBEnbkChange()
{
    EnoA->setText(Eawal->text() + DBEnbk->text());
}

QString TFanggota::composedNumber() const
{
    // From the row itself, once what was typed into it has reached it.
    modul->Tanggota1->takeTypedText();
    return modul->Tanggota1->fieldByName(QStringLiteral("AwalNoA"))->asString() + DBEnbk->text();
}

void TFanggota::SpeedButton1Click()
{
    SpeedButton1->setEnabled(false);
    // The button numbers the row being added and no other row.
    if (m_mode != Mode::Adding || modul->Tanggota1->state() != DataState::Insert)
        return;
    if (DBEnpm->text().length() != DBEnpm->maxLength()) {
        messages::warning(QStringLiteral("NPM harus diisi 8 karakter!!!"));
        return;
    }
    if (DBEnbk->text().length() != DBEnbk->maxLength()) {
        messages::warning(QStringLiteral("NBK harus diisi 3 karakter!!!"));
        return;
    }
    EnoA->setText(composedNumber());
    // Checked against the register without storing the new row: it is
    // stored by Save alone.
    if (modul->memberNumberTaken(EnoA->text())) {
        messages::warning(QStringLiteral("Duplikasi No. Anggota !!!"));
        return;
    }
    modul->Tanggota1->fieldByName(QStringLiteral("No_Anggota"))->setText(EnoA->text());
}

bool TFanggota::identityComplete() const
{
    const QList<QString> texts{DBEnbk->text(),     DBEnpm->text(),  DBEnama->text(), DBEtmpl->text(),
                               DBEtgll->text(),    DBEalamat->text(), DBEkodepos->text(),
                               DBCjk->text(),      DBCdarah->text(), DBCagama->text()};
    for (const QString &text : texts) {
        if (text.isEmpty())
            return false;
    }
    return true;
}

void TFanggota::keepOpen()
{
    // A refused save does not end a modal run: the row is still to be put right.
    setModalResult(mrNone);
}

bool TFanggota::saveAdded()
{
    if (!identityComplete()) {
        messages::warning(QStringLiteral("Identitas anggota belum lengkap!!!"));
        return false;
    }
    Table *members = modul->Tanggota1;
    const QString number = composedNumber();
    // A number composed before NPM or NBK changed is no number for this row.
    const QString held = members->fieldByName(QStringLiteral("No_Anggota"))->asString();
    if (held.isEmpty() || held != number) {
        messages::warning(QStringLiteral("No. Anggota belum dibuat, tekan tombol # dahulu"));
        return false;
    }
    if (modul->memberNumberTaken(number)) {
        messages::warning(QStringLiteral("Duplikasi No. Anggota !!!"));
        return false;
    }
    members->post();
    return true;
}

void TFanggota::BitBtn7Click()
{
    if (m_mode != Mode::Adding || !modul->Tanggota1->isEditing()) {
        BitBtn7->setEnabled(false);
        BitBtn8->setEnabled(false);
        return;
    }
    const QScopedValueRollback<bool> saving(m_saving, true);
    bool saved = false;
    try {
        saved = saveAdded();
    } catch (...) {
        keepOpen();
        throw;
    }
    if (!saved)
        keepOpen();
}

void TFanggota::BitBtn8Click()
{
    if (m_mode == Mode::Adding)
        modul->cancelNewMember();
    BitBtn7->setEnabled(false);
    BitBtn8->setEnabled(false);
}

// Editing ---------------------------------------------------------------------

void TFanggota::enterEditing()
{
    DBNavigator2->setEnabled(true);
    for (QWidget *w : std::initializer_list<QWidget *>{SpeedButton1, EnoA, Label15, BitBtn7, BitBtn8})
        w->setVisible(false);
    for (QWidget *w : std::initializer_list<QWidget *>{BatalEDIT, SimpanEdit}) {
        w->setVisible(true);
        w->setEnabled(true);
    }
    m_mode = Mode::Editing;
    ECari->setEnabled(m_mode == Mode::Browsing);
}

void TFanggota::BBeditClick()
{
    // On a miss the table stays on the first member, as the dialog left it.
    if (Fcari->chooseMember(QStringLiteral("Edit Anggota......."), false) != TFcari::Choice::Found)
        return;
    enterEditing();
    modul->Tanggota1->edit();
}

bool TFanggota::saveEdited()
{
    if (!identityComplete()) {
        messages::error(QStringLiteral("Identitas anggota belum lengkap"));
        return false;
    }
    EnoA->setText(composedNumber());
    // Another member's number is refused before anything is stored; the
    // member's own number is a plain save.
    if (!modul->storeMemberAs(EnoA->text())) {
        messages::warning(QStringLiteral("Duplikasi No. Anggota !!!"));
        return false;
    }
    return true;
}

void TFanggota::SimpanEditClick()
{
    if (m_mode != Mode::Editing || !modul->Tanggota1->isEditing()) {
        SimpanEdit->setEnabled(false);
        BatalEDIT->setEnabled(false);
        return;
    }
    const QScopedValueRollback<bool> saving(m_saving, true);
    saveEdited();
}

void TFanggota::BatalEDITClick()
{
    SimpanEdit->setEnabled(false);
    BatalEDIT->setEnabled(false);
    if (m_mode == Mode::Editing)
        modul->Tanggota1->cancel();
    BitBtn7->setEnabled(false);
    BitBtn8->setEnabled(false);
}

// The member row's state, however it changed: typing into a shown member
// starts an edit with its Save and Cancel; a row stored or dropped anywhere
// ends the addition or edit.
void TFanggota::followMemberState()
{
    const DataState state = modul->Tanggota1->state();
    if (state == DataState::Edit && m_mode == Mode::Browsing && !modul->Tanggota1->isProgramChange()) {
        enterEditing();
        return;
    }
    if (modul->Tanggota1->isEditing() || m_mode == Mode::Browsing)
        return;
    const QList<QWidget *> pair = m_mode == Mode::Adding ? QList<QWidget *>{BitBtn7, BitBtn8}
                                                         : QList<QWidget *>{SimpanEdit, BatalEDIT};
    for (QWidget *w : pair)
        w->setEnabled(false);
    m_mode = Mode::Browsing;
    ECari->setEnabled(m_mode == Mode::Browsing);
}

bool TFanggota::saveMember()
{
    const QScopedValueRollback<bool> saving(m_saving, true);
    return m_mode == Mode::Adding ? saveAdded() : saveEdited();
}

void TFanggota::dropMember()
{
    if (m_mode == Mode::Adding)
        BitBtn8Click();
    else if (m_mode == Mode::Editing)
        BatalEDITClick();
    else
        modul->Tanggota1->cancel();
}

// Any store of a changed member row other than Save (a move, a search,
// another window's settle) asks first; Ya runs Save with its checks.
void TFanggota::settleMember()
{
    if (m_saving || m_mode == Mode::Browsing)
        return;
    switch (messages::confirmationYesNoCancel(QString::fromLatin1(pendingrow::Question))) {
    case mrYes:
        if (saveMember())
            return;
        break;
    case mrNo:
        dropMember();
        return;
    default:
        break;
    }
    // Back to the row: whatever wanted to move goes no further.
    if (isVisible()) {
        raise();
        activateWindow();
    }
    throw Abort();
}

bool TFanggota::FormCloseQuery()
{
    if (!modul || !pendingrow::resolve(*modul->Tortu))
        return false;
    if (m_mode == Mode::Browsing)
        return pendingrow::resolve(*modul->Tanggota1);
    return pendingrow::resolve(*modul->Tanggota1, [this] { return saveMember(); }, [this] { dropMember(); });
}

// Deleting --------------------------------------------------------------------

void TFanggota::BBhapusClick()
{
    const QString number = modul->Tanggota1->fieldByName(QStringLiteral("No_Anggota"))->asString();
    QString question = QStringLiteral("Hapus data dengan No.anggota : ") + number;
    // The deposits and loans that go with the member are named before anything goes.
    const Tmodul::Holdings holdings = modul->currentMemberHoldings();
    QStringList going;
    if (holdings.savings > 0)
        going << QStringLiteral("%1 simpanan (%2)").arg(holdings.savings).arg(holdings.savingsTotal.toCurrencyString());
    if (holdings.loans > 0)
        going << QStringLiteral("%1 pinjaman (%2)").arg(holdings.loans).arg(holdings.loansTotal.toCurrencyString());
    if (!going.isEmpty())
        question += QStringLiteral("\nBeserta ") + going.join(QStringLiteral(" dan ")) + QLatin1Char('.');
    if (messages::informationYesNo(question) != mrYes)
        return;
    modul->deleteCurrentMember(holdings);
}

// Searching and the parents area ----------------------------------------------

void TFanggota::BitBtn6Click()
{
    Fcari->showModal();
    Fcari->EnoA->clear();
}

void TFanggota::DBNavigator2Click(DBNavigator::Action)
{
    DBGrid2->setEnabled(true);
}

void TFanggota::FormActivate()
{
    // The loans window closes the loans table; deleting and renumbering here
    // need it.
    modul->openLoans();
}

// Key filters and reminders ---------------------------------------------------

void TFanggota::DBEnpmKeyPress(int &key)
{
    const bool accepted = isDigit(key) || (key >= 'A' && key <= 'K') || (key >= 'a' && key <= 'k');
    filterKey(key, accepted, QStringLiteral("NPM salah!!"));
}

void TFanggota::DBEnbkKeyPress(int &key)
{
    filterKey(key, isDigit(key), QStringLiteral("NBK harus diisi angka!!"));
    // Any key here, kept or not, makes the number button usable again.
    SpeedButton1->setEnabled(true);
}

void TFanggota::DBEtgllKeyPress(int &key)
{
    filterKey(key, isDigit(key),
              QStringLiteral("Masukkan Tanggal Lahir sesuai dengan format yang telah disediakan!!contoh:10/01/83"));
}

void TFanggota::DBEkodeposKeyPress(int &key)
{
    filterKey(key, isDigit(key), QStringLiteral("Kodepos harus diisi angka!!"));
}

void TFanggota::DBEtelpKeyPress(int &key)
{
    filterKey(key, isDigit(key) || key == '-', QStringLiteral("No.Telp hanya dapat diisi angka dan '-'!!"));
}

void TFanggota::DBEnamaClick()
{
    const QString nbk = DBEnbk->text();
    if (!nbk.isEmpty() && nbk.length() != DBEnbk->maxLength())
        messages::warning(QStringLiteral("NBK harus diisi 3 karakter"));
}

void TFanggota::DBEtelpClick()
{
    if (DBEkodepos->text().length() != 5)
        messages::warning(QStringLiteral("Kodepos harus diisi 5 angka"));
}
