#include "loans/Uinputbulanpinjam.h"

#include "data/DM.h"
#include "loans/UQRpinjam.h"
#include "runtime/db/walk.h"
#include "runtime/money.h"
#include "runtime/report/report.h"

#include <QSet>

TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *parent) : MonthPicker(QStringLiteral("Form2"), parent)
{
    setWindowTitle(QStringLiteral("Input Bulan Pinjam"));
    BitBtn1->setText(QStringLiteral("&Preview"));
    BitBtn1->setHint(QStringLiteral("Tampilkan ke layar"));
    BitBtn2->setHint(QStringLiteral("Tutup "));
    move(340, 220);
}

int TForm2::firstYear()
{
    return modul->oldestTransactionYear();
}

void TForm2::BitBtn1Click()
{
    const int position = ComboBox1->currentIndex();
    const QString code = monthCode(position);
    const QString year = chosenYear();

    // The month and year are the digits after the first slash of the date
    // text. Without a month the pattern "%//2026" matches no date.
    Query *query = modul->Query1;
    query->close();
    query->sql().clear();
    query->sql().append(QStringLiteral("select * from Tpinjaman1"));
    query->sql().append(QStringLiteral("where Tgl_Pinjam like '%/") + code + QLatin1Char('/') + year
                        + QStringLiteral("'"));
    query->open();

    // Nothing shows the query's rows while they are summed: the walk tells
    // nobody of each step. A member with two loans is one borrower.
    const Field *amountField = query->fieldByName(QStringLiteral("Besar_Pinjam"));
    const Field *memberField = query->fieldByName(QStringLiteral("No_Anggota"));
    Money amount;
    QSet<QString> borrowers;
    for (DatasetWalk walk(*query); !walk.atEnd(); walk.next()) {
        amount += amountField->asMoney();
        borrowers.insert(memberField->asString());
    }

    report::Layout &layout = FlapPinjam->QuickRep1;
    layout.setCaption(QStringLiteral("QRLbulan"), monthName(position));
    layout.setCaption(QStringLiteral("QRtahun"), QLatin1Char(' ') + year);
    layout.setCaption(QStringLiteral("QRLabel13"), amount.toPlainString());
    layout.setCaption(QStringLiteral("QRLabel14"), QString::number(borrowers.size()));
    report::showPreview(layout, TFlapPinjam::Title);
    close();
}
