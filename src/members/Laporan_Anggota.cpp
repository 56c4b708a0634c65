#include "members/Laporan_Anggota.h"

#include "data/DM.h"
#include "loans/pinjaman.h"
#include "runtime/picture.h"
#include "runtime/report/report.h"
#include "savings/simpanan.h"

TReportAnggota *ReportAnggota = nullptr;

const QString TReportAnggota::Title = QStringLiteral("LAPORAN ANGGOTA ");
const QString TReportAnggota::Manager = QStringLiteral("Drs. Suryadi");

using namespace report;

TReportAnggota::TReportAnggota(QWidget *parent) : Form(QStringLiteral("ReportAnggota"), parent)
{
    setWindowTitle(QStringLiteral("Laporan Anggota"));
    Dataset *members = modul->Tanggota1;
    Report.page = PageSetup();
    Report.dataset = members;

    Band &header = Report.addBand(BandKind::PageHeader, 22.0);
    header.addPicture(21.2, 0.0, 32.0, 19.3, picture::loadJpeg(QStringLiteral(":/logo.jpg"))).named("logo");
    header.addText(72.0, 2.1, Title, FontStyle::boldUnderlined(14.0)).named("judul");
    header.addText(54.2, 8.5, QStringLiteral("KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA")).named("koperasi");

    // Date and page number belong to the title, so only the first page has them.
    Band &title = Report.addBand(BandKind::Title, 6.3);
    title.addText(2.1, 1.3, QStringLiteral("Tanggal :")).named("labelTanggal");
    title.addComputed(18.0, 1.3, Computed::PrintDate).named("tanggal").after("labelTanggal");
    title.addText(158.2, 1.6, QStringLiteral("Halaman")).named("labelHalaman");
    // On the caption's line, and clear of it.
    title.addComputed(172.2, 1.6, Computed::PageNumber).named("halaman").after("labelHalaman");

    Band &columns = Report.addBand(BandKind::ColumnHeader, 13.0, Frame::topBottom(highlightColor()), shadeColor());
    const FontStyle heading = FontStyle::bolded();
    columns.addText(4.2, 4.2, QStringLiteral("No."), heading).named("kolomNo");
    columns.addText(31.8, 4.2, QStringLiteral("Nama"), heading).named("kolomNama");
    columns.addText(55.0, 4.2, QStringLiteral("Tgl Daftar"), heading).named("kolomTglDaftar");
    columns.addText(76.2, 4.2, QStringLiteral("No. Anggota"), heading).named("kolomNoAnggota");
    columns.addText(112.2, 4.2, QStringLiteral("Alamat"), heading).named("kolomAlamat");

    Band &detail = Report.addBand(BandKind::Detail, 10.6, Frame::topBottom(highlightColor()), Qt::white);
    // Each value keeps to its column, up to the next one (the date up to the
    // heading of the member number, which stands left of its values).
    detail.addComputed(4.2, 2.1, Computed::LineNumber).named("nomor").spanTo(18.3, Qt::AlignLeft);
    detail.addField(18.3, 2.1, members, QStringLiteral("Nama")).named("Nama").spanTo(55.0, Qt::AlignLeft);
    detail.addField(55.0, 2.1, members, QStringLiteral("Tgl_Daftar")).named("Tgl_Daftar").spanTo(76.2, Qt::AlignLeft);
    detail.addField(78.3, 2.1, members, QStringLiteral("No_Anggota")).named("No_Anggota").spanTo(101.6, Qt::AlignLeft);
    const double edge = Report.page.contentWidth();
    detail.addField(101.6, 2.1, members, QStringLiteral("Alamat")).named("Alamat").spanTo(edge, Qt::AlignLeft);

    Band &summary = Report.addBand(BandKind::Summary, 52.7, Frame::topOnly());
    summary.addText(2.1, 4.0, QStringLiteral("Jumlah Anggota :"), FontStyle::bolded()).named("labelJumlah");
    summary.addComputed(33.9, 4.2, Computed::DetailCount).named("jumlah").after("labelJumlah");
    summary.addText(40.2, 4.2, QStringLiteral("Orang")).named("labelOrang").after("jumlah");
    summary.addText(152.4, 25.4, QStringLiteral("Mengetahui,")).named("labelMengetahui");
    // Set a shade smaller where it would reach into the right margin.
    summary.addText(131.2, 29.6, QStringLiteral("Manager Divisi Usaha Simpan Pinjam"))
        .named("labelJabatan")
        .aligned(Qt::AlignLeft, Report.page.contentWidth() - 131.2);
    summary.addText(150.3, 46.6, Manager).named("manager");

    Report.addBand(BandKind::PageFooter, 6.1, Frame::all(), shadeColor());

    Report.csvColumns = {{QStringLiteral("No."), QStringLiteral("nomor")},
                         {QStringLiteral("Nama"), QStringLiteral("Nama")},
                         {QStringLiteral("Tgl Daftar"), QStringLiteral("Tgl_Daftar")},
                         {QStringLiteral("No. Anggota"), QStringLiteral("No_Anggota")},
                         {QStringLiteral("Alamat"), QStringLiteral("Alamat")}};
}

void TReportAnggota::Preview()
{
    // Settles a member row still under edit before the report reads the table.
    modul->Tanggota1->first();
    // The walk leaves the last member current: no deposit or loan entry
    // goes on for a member the clerk did not choose.
    if (Fsimpan)
        Fsimpan->lockTransaction();
    if (Fpinjam)
        Fpinjam->lockTransaction();
    showPreview(Report, Title.trimmed());
}
