#include "loans/Uinputbulanpinjam.h"

#include "data/DM.h"
#include "loans/UQRpinjam.h"
#include "runtime/db/walk.h"
#include "runtime/money.h"
#include "runtime/report/report.h"

#include <QDate>

TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *parent) : MonthPicker(QStringLiteral("Form2"), parent)
{
    setWindowTitle(QStringLiteral("Input Bulan Pinjam"));
    BitBtn1->setText(QStringLiteral("&Preview"));
    BitBtn1->setHint(QStringLiteral("Tampilkan ke layar"));
    BitBtn2->setHint(QStringLiteral("Tutup "));
    move(340, 220);
}

void TForm2::BitBtn1Click()
{
    const int position = ComboBox1->currentIndex();
    const QString code = monthCode(position);

    // The month is the two digits between the slashes of the date text, so
    // the same month of every year is selected. Without a month the pattern
    // "%//%" matches no date.
    Query *query = modul->Query1;
    query->close();
    query->sql().clear();
    query->sql().append(QStringLiteral("select * from Tpinjaman1"));
    query->sql().append(QStringLiteral("where Tgl_Pinjam like '%/") + code + QStringLiteral("/%'"));
    query->open();

    // The count is kept in the money type along with the amount. Nothing
    // shows the query's rows while they are summed: the walk tells nobody of
    // each step.
    const Field *amountField = query->fieldByName(QStringLiteral("Besar_Pinjam"));
    Money amount;
    Money count;
    const Money one = Money::fromUnits(1);
    for (DatasetWalk walk(*query); !walk.atEnd(); walk.next()) {
        amount += amountField->asMoney();
        count += one;
    }

    report::Layout &layout = FlapPinjam->QuickRep1;
    layout.setCaption(QStringLiteral("QRLbulan"), monthName(position));
    layout.setCaption(QStringLiteral("QRtahun"), QDate::currentDate().toString(QStringLiteral(" yyyy")));
    layout.setCaption(QStringLiteral("QRLabel13"), amount.toPlainString());
    layout.setCaption(QStringLiteral("QRLabel14"), count.toPlainString());
    report::showPreview(layout, TFlapPinjam::Title);
    close();
}
