#include "loans/UQRpinjam.h"

#include "data/DM.h"
#include "runtime/picture.h"
#include "runtime/report/report.h"

TFlapPinjam *FlapPinjam = nullptr;

const QString TFlapPinjam::Title = QStringLiteral("LAPORAN PINJAMAN ANGGOTA");
const QString TFlapPinjam::Manager = QStringLiteral("Drs. Suryadi");

using namespace report;

TFlapPinjam::TFlapPinjam(QWidget *parent) : Form(QStringLiteral("FlapPinjam"), parent)
{
    setWindowTitle(QStringLiteral("Laporan Pinjaman Anggota Berdasarkan Bulan"));
    Dataset *loans = modul->Query1;
    QuickRep1.page = PageSetup();
    QuickRep1.dataset = loans;

    Band &header = QuickRep1.addBand(BandKind::PageHeader, 32.5, Frame::none(), Qt::white);
    // The logo reaches a little above the band.
    header.addPicture(27.5, -0.3, 27.8, 21.4, picture::loadJpeg(QStringLiteral(":/logo.jpg"))).named("logo");
    header.addText(61.4, 2.1, Title, FontStyle::boldUnderlined(14.0)).named("judul");
    header.addText(57.2, 8.5, QStringLiteral("KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA")).named("koperasi");
    header.addText(81.2, 12.7, QStringLiteral("Bulan ")).named("labelBulan");
    // The month and year carry their own names until the picker fills them.
    // Each text of a line stays clear of the one before it.
    header.addText(91.8, 12.7, QStringLiteral("QRLbulan")).named("QRLbulan").after("labelBulan");
    header.addText(108.7, 12.7, QStringLiteral("QRtahun")).named("QRtahun").after("QRLbulan");
    header.addText(2.1, 25.4, QStringLiteral("Tanggal : ")).named("labelTanggal");
    header.addComputed(19.1, 25.4, Computed::PrintDate).named("tanggal").after("labelTanggal");
    header.addText(163.0, 25.4, QStringLiteral("Halaman")).named("labelHalaman");
    header.addComputed(177.8, 25.4, Computed::PageNumber).named("halaman").after("labelHalaman");

    Band &columns = QuickRep1.addBand(BandKind::ColumnHeader, 10.6, Frame::none(), shadeColor());
    columns.addText(2.1, 4.2, QStringLiteral("No.")).named("kolomNo");
    columns.addText(19.1, 4.2, QStringLiteral("No. Anggota")).named("kolomNoAnggota");
    columns.addText(44.5, 4.2, QStringLiteral("Tgl Pinjam")).named("kolomTglPinjam");
    columns.addText(76.2, 4.2, QStringLiteral("Jaminan")).named("kolomJaminan");
    columns.addText(108.0, 4.2, QStringLiteral("Besar Pinjam")).named("kolomBesar");
    columns.addText(131.2, 4.2, QStringLiteral("B. Administrasi")).named("kolomAdm");
    columns.addText(163.0, 4.2, QStringLiteral("Total Pinjam")).named("kolomTotal");

    Band &detail = QuickRep1.addBand(BandKind::Detail, 8.5, Frame::none(), Qt::white);
    // Each value keeps to its column, up to the next column's heading;
    // amounts stand right.
    detail.addComputed(2.1, 2.1, Computed::LineNumber).named("nomor").spanTo(19.1, Qt::AlignLeft);
    detail.addField(19.1, 2.1, loans, QStringLiteral("No_Anggota")).named("No_Anggota").spanTo(44.5, Qt::AlignLeft);
    detail.addField(44.5, 2.1, loans, QStringLiteral("Tgl_Pinjam")).named("Tgl_Pinjam").spanTo(67.7, Qt::AlignLeft);
    detail.addField(67.7, 2.1, loans, QStringLiteral("Jaminan")).named("Jaminan").spanTo(108.0, Qt::AlignLeft);
    detail.addField(108.2, 2.1, loans, QStringLiteral("Besar_Pinjam")).named("Besar_Pinjam").spanTo(131.2);
    detail.addField(133.4, 2.1, loans, QStringLiteral("adm")).named("adm").spanTo(163.0);
    const double edge = QuickRep1.page.contentWidth();
    detail.addField(165.1, 2.1, loans, QStringLiteral("Totpinjam")).named("Totpinjam").spanTo(edge);

    Band &summary = QuickRep1.addBand(BandKind::Summary, 57.9, Frame::none(), Qt::white);
    // Loans are counted by the picker as it totals them, not by the report.
    summary.addText(0.0, 2.1, QStringLiteral("Jumlah Peminjam :")).named("labelJumlah");
    summary.addText(31.8, 2.1, QStringLiteral("QRLabel14")).named("QRLabel14").after("labelJumlah");
    summary.addText(42.3, 2.1, QStringLiteral("Orang")).named("labelOrang").after("QRLabel14");
    // The total stands right, over the end of its double rule.
    summary.addText(124.9, 4.2, QStringLiteral("TOTAL PINJAMAN (Rp.)"), FontStyle::bolded())
        .named("labelTotal")
        .spanTo(164.0, Qt::AlignLeft);
    summary.addText(164.6, 4.2, QStringLiteral("QRLabel13"))
        .named("QRLabel13")
        .aligned(Qt::AlignRight, 164.0 + 18.5 - 164.6);
    summary.addDoubleLine(164.0, 9.0, 9.5, 18.5).named("garisTotal");
    summary.addText(146.1, 19.8, QStringLiteral("Mengetahui,")).named("labelMengetahui");
    summary.addText(129.1, 26.2, QStringLiteral("Manager Divisi Usaha Simpan Pinjam")).named("labelJabatan");
    summary.addText(143.9, 49.5, Manager).named("manager");

    QuickRep1.addBand(BandKind::PageFooter, 10.1, Frame::none(), shadeColor());

    QuickRep1.csvColumns = {{QStringLiteral("No."), QStringLiteral("nomor")},
                            {QStringLiteral("No. Anggota"), QStringLiteral("No_Anggota")},
                            {QStringLiteral("Tgl Pinjam"), QStringLiteral("Tgl_Pinjam")},
                            {QStringLiteral("Jaminan"), QStringLiteral("Jaminan")},
                            {QStringLiteral("Besar Pinjam"), QStringLiteral("Besar_Pinjam")},
                            {QStringLiteral("B. Administrasi"), QStringLiteral("adm")},
                            {QStringLiteral("Total Pinjam"), QStringLiteral("Totpinjam")}};
}
