#include "savings/ULapSimpanBulanan.h"

#include "data/DM.h"
#include "runtime/picture.h"
#include "runtime/report/report.h"

TForm3 *Form3 = nullptr;

const QString TForm3::Title = QStringLiteral("LAPORAN SIMPANAN ANGGOTA");
const QString TForm3::Manager = QStringLiteral("Drs. Suryadi");

using namespace report;

TForm3::TForm3(QWidget *parent) : Form(QStringLiteral("Form3"), parent)
{
    setWindowTitle(QStringLiteral("Laporan Simpanan Anggota Berdasarkan Bulan"));
    Dataset *savings = modul->Query2;
    QuickRep1.page = PageSetup();
    QuickRep1.dataset = savings;

    Band &header = QuickRep1.addBand(BandKind::PageHeader, 34.7, Frame::none(), Qt::white);
    header.addPicture(29.6, 0.0, 27.8, 23.5, picture::loadJpeg(QStringLiteral(":/logo.jpg"))).named("logo");
    header.addText(63.5, 2.1, Title, FontStyle::boldUnderlined(14.0)).named("judul");
    header.addText(59.3, 10.6, QStringLiteral("KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA")).named("koperasi");
    header.addText(86.8, 16.9, QStringLiteral("Bulan")).named("labelBulan");
    // The month and year carry their own names until the picker fills them.
    // Each text of a line stays clear of the one before it.
    header.addText(96.3, 16.9, QStringLiteral("QRLBulan")).named("QRLBulan").after("labelBulan");
    header.addText(114.3, 16.9, QStringLiteral("QRtahun")).named("QRtahun").after("QRLBulan");
    header.addText(2.1, 28.0, QStringLiteral("Tanggal :")).named("labelTanggal");
    header.addComputed(16.9, 28.0, Computed::PrintDate).named("tanggal").after("labelTanggal");
    header.addText(160.9, 28.0, QStringLiteral("Halaman")).named("labelHalaman");
    header.addComputed(175.7, 28.0, Computed::PageNumber).named("halaman").after("labelHalaman");

    Band &columns = QuickRep1.addBand(BandKind::ColumnHeader, 18.0, Frame::none(), shadeColor());
    const FontStyle heading = FontStyle::bolded();
    columns.addText(93.1, 3.2, QStringLiteral("Jenis Simpanan"), heading).named("kolomJenis");
    columns.addLine(63.2, 8.7, 153.2 - 63.2).named("garisJenis");
    columns.addText(2.1, 6.4, QStringLiteral("No."), heading).named("kolomNo");
    columns.addText(15.3, 6.4, QStringLiteral("No. Anggota"), heading).named("kolomNoAnggota");
    columns.addText(45.0, 6.4, QStringLiteral("Tanggal"), heading).named("kolomTanggal");
    columns.addText(156.6, 6.4, QStringLiteral("Total Simpanan"), heading).named("kolomTotal");
    columns.addText(65.6, 10.6, QStringLiteral("Pokok"), heading).named("kolomPokok");
    columns.addText(86.8, 10.6, QStringLiteral("Wajib"), heading).named("kolomWajib");
    columns.addText(110.1, 10.6, QStringLiteral("Sukarela"), heading).named("kolomSukarela");
    columns.addText(135.5, 10.6, QStringLiteral("Wisuda"), heading).named("kolomWisuda");

    Band &detail = QuickRep1.addBand(BandKind::Detail, 10.6, Frame::none(), Qt::white);
    // Each value keeps to its column, up to the next column (the last
    // amount up to its heading "Total Simpanan"); amounts stand right.
    detail.addComputed(2.1, 2.1, Computed::LineNumber).named("nomor").spanTo(15.3, Qt::AlignLeft);
    detail.addField(16.9, 2.1, savings, QStringLiteral("No_Anggota")).named("No_Anggota").spanTo(42.3, Qt::AlignLeft);
    detail.addField(42.3, 2.1, savings, QStringLiteral("Tgl_Simpan")).named("Tgl_Simpan").spanTo(63.2, Qt::AlignLeft);
    // The savings table has no principal savings: this column prints blank.
    detail.addField(63.5, 2.1, savings, QStringLiteral("S_Pokok")).named("S_Pokok").blankIfMissing().spanTo(84.7);
    detail.addField(84.7, 2.1, savings, QStringLiteral("S_Wajib")).named("S_Wajib").spanTo(108.0);
    detail.addField(108.0, 2.1, savings, QStringLiteral("S_Sukarela")).named("S_Sukarela").spanTo(135.5);
    detail.addField(135.5, 2.1, savings, QStringLiteral("S_Wisuda")).named("S_Wisuda").spanTo(156.6);
    detail.addField(165.1, 2.1, savings, QStringLiteral("Total")).named("Total").spanTo(QuickRep1.page.contentWidth());

    Band &summary = QuickRep1.addBand(BandKind::Summary, 84.4, Frame::none(), Qt::white);
    // The overall total stands right, over the end of its double rule.
    summary.addText(135.5, 2.1, QStringLiteral("TOTAL (Rp.)"), FontStyle::bolded()).named("labelTotal");
    summary.addText(166.2, 2.1, QStringLiteral("QRLtotsaldo"))
        .named("QRLtotsaldo")
        .aligned(Qt::AlignRight, 163.8 + 23.5 - 166.2);
    summary.addDoubleLine(163.8, 7.1, 7.7, 23.5).named("garisTotal");
    summary.addText(2.1, 11.6, QStringLiteral("RINCIAN :")).named("labelRincian");
    summary.addRectangle(2.1, 19.1, 61.6, 27.8).named("kotakRincian");
    // The three figures stand right within the box.
    const double boxEnd = 2.1 + 61.6;
    summary.addText(4.2, 22.2, QStringLiteral("Simpanan Wajib      Rp.")).named("labelWajib");
    summary.addText(43.4, 22.2, QStringLiteral("QRLabel11")).named("QRLabel11").spanTo(boxEnd);
    summary.addText(4.2, 30.7, QStringLiteral("Simpanan Sukarela  Rp.")).named("labelSukarela");
    summary.addText(43.4, 30.7, QStringLiteral("QRLabel12")).named("QRLabel12").spanTo(boxEnd);
    summary.addText(4.2, 39.2, QStringLiteral("Tabungan Wisuda    Rp.")).named("labelWisuda");
    summary.addText(43.4, 39.2, QStringLiteral("QRLabel13")).named("QRLabel13").spanTo(boxEnd);
    // The picker counts the depositors: members, not lines.
    summary.addText(2.1, 48.4, QStringLiteral("Jumlah Penabung : ")).named("labelJumlah");
    summary.addText(36.0, 48.4, QStringLiteral("jumlah")).named("jumlah").after("labelJumlah");
    summary.addText(42.3, 48.4, QStringLiteral("Orang")).named("labelOrang").after("jumlah");
    summary.addText(152.4, 56.9, QStringLiteral("Mengetahui,")).named("labelMengetahui");
    // Set a shade smaller where it would reach into the right margin.
    summary.addText(131.2, 61.9, QStringLiteral("Manager Divisi Usaha Simpan Pinjam"))
        .named("labelJabatan")
        .aligned(Qt::AlignLeft, QuickRep1.page.contentWidth() - 131.2);
    summary.addText(148.2, 80.2, Manager).named("manager");

    QuickRep1.addBand(BandKind::PageFooter, 10.6, Frame::none(), shadeColor());

    QuickRep1.csvColumns = {{QStringLiteral("No."), QStringLiteral("nomor")},
                            {QStringLiteral("No. Anggota"), QStringLiteral("No_Anggota")},
                            {QStringLiteral("Tanggal"), QStringLiteral("Tgl_Simpan")},
                            {QStringLiteral("Pokok"), QStringLiteral("S_Pokok")},
                            {QStringLiteral("Wajib"), QStringLiteral("S_Wajib")},
                            {QStringLiteral("Sukarela"), QStringLiteral("S_Sukarela")},
                            {QStringLiteral("Wisuda"), QStringLiteral("S_Wisuda")},
                            {QStringLiteral("Total Simpanan"), QStringLiteral("Total")}};
}
