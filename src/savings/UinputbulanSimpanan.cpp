#include "savings/UinputbulanSimpanan.h"

#include "data/DM.h"
#include "runtime/db/walk.h"
#include "runtime/money.h"
#include "runtime/report/report.h"
#include "savings/ULapSimpanBulanan.h"

#include <QSet>

TFlapsimpan *Flapsimpan = nullptr;

TFlapsimpan::TFlapsimpan(QWidget *parent) : MonthPicker(QStringLiteral("Flapsimpan"), parent)
{
    setWindowTitle(QStringLiteral("Input Bulan Simpan"));
    BitBtn1->setText(QStringLiteral("Preview"));
    BitBtn1->setHint(QStringLiteral("Tampilkan laporan"));
    BitBtn2->setHint(QStringLiteral("Tutup"));
    move(320, 200);
}

int TFlapsimpan::firstYear()
{
    return modul->oldestTransactionYear();
}

void TFlapsimpan::BitBtn1Click()
{
    const int position = ComboBox1->currentIndex();
    const QString code = monthCode(position);
    const QString year = chosenYear();

    // The month and year are the digits after the first slash of the date
    // text. Without a month the pattern "%//2026" matches no date.
    Query *query = modul->Query2;
    query->close();
    query->sql().clear();
    query->sql().append(QStringLiteral("select * from Tsimpanan1"));
    query->sql().append(QStringLiteral("where Tgl_Simpan like '%/") + code + QLatin1Char('/') + year
                        + QStringLiteral("'"));
    query->open();

    // Nothing shows the query's rows while they are summed: the walk tells
    // nobody of each step. A member with two deposits is one depositor.
    const Field *wajibField = query->fieldByName(QStringLiteral("S_Wajib"));
    const Field *sukarelaField = query->fieldByName(QStringLiteral("S_Sukarela"));
    const Field *wisudaField = query->fieldByName(QStringLiteral("S_Wisuda"));
    const Field *totalField = query->fieldByName(QStringLiteral("Total"));
    const Field *memberField = query->fieldByName(QStringLiteral("No_Anggota"));
    Money wajib;
    Money sukarela;
    Money wisuda;
    Money total;
    QSet<QString> depositors;
    for (DatasetWalk walk(*query); !walk.atEnd(); walk.next()) {
        wajib += wajibField->asMoney();
        sukarela += sukarelaField->asMoney();
        wisuda += wisudaField->asMoney();
        total += totalField->asMoney();
        depositors.insert(memberField->asString());
    }

    report::Layout &layout = Form3->QuickRep1;
    layout.setCaption(QStringLiteral("QRLBulan"), monthName(position));
    layout.setCaption(QStringLiteral("QRtahun"), QLatin1Char(' ') + year);
    layout.setCaption(QStringLiteral("QRLabel11"), wajib.toPlainString());
    layout.setCaption(QStringLiteral("QRLabel12"), sukarela.toPlainString());
    layout.setCaption(QStringLiteral("QRLabel13"), wisuda.toPlainString());
    layout.setCaption(QStringLiteral("QRLtotsaldo"), total.toPlainString());
    layout.setCaption(QStringLiteral("jumlah"), QString::number(depositors.size()));
    report::showPreview(layout, TForm3::Title);
    close();
}
