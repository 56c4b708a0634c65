#include "savings/Uslip.h"

#include "data/DM.h"
#include "runtime/picture.h"
#include "runtime/report/report.h"

TFslip *Fslip = nullptr;

const QString TFslip::SimpanTitle = QStringLiteral("SLIP SIMPANAN");
const QString TFslip::PinjamTitle = QStringLiteral("SLIP PINJAMAN");

using namespace report;

namespace {

const QString Cooperative = QStringLiteral("KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA");
constexpr double TitleHeight = 43.1;
// Where the amounts' column ends: room for a twelve-digit amount in the
// currency text at full size. The rules above and under the total end here too.
constexpr double AmountsEnd = 78.0;

// An amount standing right in the amounts' column.
Element &addAmount(Band &band, double left, double top, Dataset *dataset, const QString &field)
{
    return band.addField(left, top, dataset, field).named(field).aligned(Qt::AlignRight, AmountsEnd - left);
}

// Both slips share one page set-up and the head of their title band.
void addHead(Layout &slip, double logoLeft, double titleLeft, const QString &title, double nameLeft)
{
    slip.page = PageSetup();
    slip.dataset = nullptr;                     // title and detail print once
    Band &band = slip.addBand(BandKind::Title, TitleHeight, Frame::all());
    band.addPicture(logoLeft, 0.0, 19.3, 13.0, picture::loadJpeg(QStringLiteral(":/logo.jpg"))).named("logo");
    band.addText(titleLeft, 1.1, title, FontStyle::boldUnderlined(14.0)).named("judul");
    band.addText(nameLeft, 8.5, Cooperative).named("koperasi");
    band.addLine(0.0, 12.7, slip.page.contentWidth()).named("garis");
}

// The member part of the title band: the member number comes from the
// transaction row, name and address from the member row.
void addMember(Band &band, Dataset *transactions, double end)
{
    Dataset *members = modul->Tanggota1;
    band.addText(84.7, 16.9, QStringLiteral("No. Anggota")).named("labelNoAnggota");
    // The values keep inside the box.
    band.addField(105.8, 16.9, transactions, QStringLiteral("No_Anggota"))
        .named("No_Anggota")
        .spanTo(end, Qt::AlignLeft);
    band.addText(84.7, 23.3, QStringLiteral("Nama")).named("labelNama");
    band.addField(105.8, 23.3, members, QStringLiteral("Nama")).named("Nama").spanTo(end, Qt::AlignLeft);
    band.addText(84.7, 29.6, QStringLiteral("Alamat")).named("labelAlamat");
    band.addField(105.8, 29.6, members, QStringLiteral("Alamat")).named("Alamat").spanTo(end, Qt::AlignLeft);
    band.addField(105.8, 36.0, members, QStringLiteral("Kodepos")).named("Kodepos").spanTo(end, Qt::AlignLeft);
}

} // namespace

TFslip::TFslip(QWidget *parent) : Form(QStringLiteral("Fslip"), parent)
{
    setWindowTitle(QStringLiteral("Slip"));
    buildSlipSimpan();
    buildSlipPinjam();
}

void TFslip::buildSlipSimpan()
{
    Dataset *savings = modul->Tsimpan1;
    addHead(SlipSIMPAN, 24.1, 72.0, SimpanTitle, 44.5);
    Band &title = *SlipSIMPAN.band(BandKind::Title);
    title.addText(4.2, 19.1, QStringLiteral("No.")).named("labelNo");
    title.addField(11.4, 19.3, savings, QStringLiteral("No_Simpan")).named("No_Simpan").spanTo(84.7, Qt::AlignLeft);
    addMember(title, savings, SlipSIMPAN.page.contentWidth());

    const double width = SlipSIMPAN.page.contentWidth();
    Band &detail = SlipSIMPAN.addBand(BandKind::Detail, 50.5, Frame::all());
    detail.addRectangle(0.0, 0.0, width, 1.1).named("strip");
    detail.addText(5.0, 4.5, QStringLiteral("Rincian :")).named("labelRincian");
    detail.addText(4.0, 11.1, QStringLiteral("Simpanan Wajib")).named("labelWajib");
    addAmount(detail, 40.2, 11.1, savings, QStringLiteral("S_Wajib"));
    detail.addText(4.0, 17.5, QStringLiteral("Simpanan Sukarela")).named("labelSukarela");
    addAmount(detail, 40.2, 17.5, savings, QStringLiteral("S_Sukarela"));
    detail.addText(4.0, 23.8, QStringLiteral("Tabungan Wisuda")).named("labelWisuda");
    addAmount(detail, 40.2, 23.8, savings, QStringLiteral("S_Wisuda"));
    detail.addLine(38.1, 30.2, AmountsEnd - 38.1).named("garisJumlah");
    detail.addText(4.0, 32.3, QStringLiteral("Jumlah")).named("labelJumlah");
    addAmount(detail, 40.2, 31.5, savings, QStringLiteral("Total"));
    detail.addDoubleLine(38.1, 37.0, 37.6, AmountsEnd - 38.1).named("garisGanda");
    // The date is stored as text and prints as it stands.
    detail.addText(118.5, 3.4, QStringLiteral("Bandung,")).named("labelKota");
    detail.addField(135.5, 3.4, savings, QStringLiteral("Tgl_Simpan"))
        .named("Tgl_Simpan")
        .spanTo(width, Qt::AlignLeft);
    detail.addText(114.3, 14.0, QStringLiteral("Penyetor")).named("labelPenyetor");
    detail.addText(138.4, 14.0, QStringLiteral("Teller/ Kasir")).named("labelKasir");
    detail.addRectangle(110.1, 20.4, 23.5, 23.5).named("kotakPenyetor");
    detail.addRectangle(135.5, 20.4, 23.5, 23.5).named("kotakKasir");
}

void TFslip::buildSlipPinjam()
{
    Dataset *loans = modul->Tpinjam;
    addHead(SLIPpinjam, 26.2, 74.1, PinjamTitle, 48.7);
    Band &title = *SLIPpinjam.band(BandKind::Title);
    title.addText(4.2, 17.2, QStringLiteral("No.")).named("labelNo");
    title.addField(11.4, 17.5, loans, QStringLiteral("No_Pinjaman")).named("No_Pinjaman").spanTo(84.7, Qt::AlignLeft);
    addMember(title, loans, SLIPpinjam.page.contentWidth());

    const double width = SLIPpinjam.page.contentWidth();
    Band &detail = SLIPpinjam.addBand(BandKind::Detail, 51.1, Frame::all());
    detail.addRectangle(0.0, 0.0, width, 1.1).named("strip");
    detail.addText(4.0, 4.2, QStringLiteral("Besar Pinjaman")).named("labelBesar");
    addAmount(detail, 38.1, 4.2, loans, QStringLiteral("Besar_Pinjam"));
    detail.addText(4.0, 11.9, QStringLiteral("Biaya Administrasi")).named("labelAdm");
    addAmount(detail, 38.1, 11.6, loans, QStringLiteral("Adm"));
    detail.addLine(38.1, 18.5, AmountsEnd - 38.1).named("garisJumlah");
    detail.addText(4.0, 19.1, QStringLiteral("Total Pinjaman")).named("labelTotal");
    addAmount(detail, 37.8, 19.3, loans, QStringLiteral("TotPinjam"));
    detail.addDoubleLine(38.1, 24.9, 25.4, AmountsEnd - 38.1).named("garisGanda");
    detail.addText(4.0, 31.8, QStringLiteral("Barang Jaminan :")).named("labelJaminan");
    // Up to the signature column.
    detail.addField(33.9, 31.8, loans, QStringLiteral("Jaminan")).named("Jaminan").spanTo(99.5, Qt::AlignLeft);
    detail.addText(114.3, 18.3, QStringLiteral("Bandung,")).named("labelKota");
    detail.addField(129.9, 18.3, loans, QStringLiteral("Tgl_Pinjam"))
        .named("Tgl_Pinjam")
        .spanTo(width, Qt::AlignLeft)
        .after("labelKota");
    detail.addText(105.0, 26.7, QStringLiteral("Peminjam")).named("labelPeminjam");
    detail.addText(133.6, 26.7, QStringLiteral("Teller/ Kasir")).named("labelKasir");
    detail.addLine(99.5, 46.3, 23.5).named("garisPeminjam");
    detail.addLine(131.5, 46.0, 23.5).named("garisKasir");
}

void TFslip::PrintSimpan()
{
    // The member's rows come in posting order: the last is the latest deposit.
    modul->Tsimpan1->last();
    showPreview(SlipSIMPAN, SimpanTitle);
}

void TFslip::PrintPinjam()
{
    modul->Tpinjam->last();
    showPreview(SLIPpinjam, PinjamTitle);
}
