#include "savings/UinputbulanSimpanan.h"

#include "data/DM.h"
#include "runtime/db/walk.h"
#include "runtime/money.h"
#include "runtime/report/report.h"
#include "savings/ULapSimpanBulanan.h"

#include <QDate>

TFlapsimpan *Flapsimpan = nullptr;

TFlapsimpan::TFlapsimpan(QWidget *parent) : MonthPicker(QStringLiteral("Flapsimpan"), parent)
{
    setWindowTitle(QStringLiteral("Input Bulan Simpan"));
    BitBtn1->setText(QStringLiteral("Preview"));
    BitBtn1->setHint(QStringLiteral("Tampilkan laporan"));
    BitBtn2->setHint(QStringLiteral("Tutup"));
    move(320, 200);
}

void TFlapsimpan::BitBtn1Click()
{
    const int position = ComboBox1->currentIndex();
    const QString code = monthCode(position);

    // The month is the two digits between the slashes of the date text, so
    // the same month of every year is selected. Without a month the pattern
    // "%//%" matches no date.
    Query *query = modul->Query2;
    query->close();
    query->sql().clear();
    query->sql().append(QStringLiteral("select * from Tsimpanan1"));
    query->sql().append(QStringLiteral("where Tgl_Simpan like '%/") + code + QStringLiteral("/%'"));
    query->open();

    // Nothing shows the query's rows while they are summed: the walk tells
    // nobody of each step.
    const Field *wajibField = query->fieldByName(QStringLiteral("S_Wajib"));
    const Field *sukarelaField = query->fieldByName(QStringLiteral("S_Sukarela"));
    const Field *wisudaField = query->fieldByName(QStringLiteral("S_Wisuda"));
    const Field *totalField = query->fieldByName(QStringLiteral("Total"));
    Money wajib;
    Money sukarela;
    Money wisuda;
    Money total;
    for (DatasetWalk walk(*query); !walk.atEnd(); walk.next()) {
        wajib += wajibField->asMoney();
        sukarela += sukarelaField->asMoney();
        wisuda += wisudaField->asMoney();
        total += totalField->asMoney();
    }

    report::Layout &layout = Form3->QuickRep1;
    layout.setCaption(QStringLiteral("QRLBulan"), monthName(position));
    layout.setCaption(QStringLiteral("QRtahun"), QDate::currentDate().toString(QStringLiteral(" yyyy")));
    layout.setCaption(QStringLiteral("QRLabel11"), wajib.toPlainString());
    layout.setCaption(QStringLiteral("QRLabel12"), sukarela.toPlainString());
    layout.setCaption(QStringLiteral("QRLabel13"), wisuda.toPlainString());
    layout.setCaption(QStringLiteral("QRLtotsaldo"), total.toPlainString());
    report::showPreview(layout, TForm3::Title);
    close();
}
