#include "loans/Uinputbulanpinjam.h"

#include "data/DM.h"
#include "loans/UQRpinjam.h"
#include "runtime/money.h"
#include "runtime/report/report.h"

#include <QDate>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <iterator>

TForm2 *Form2 = nullptr;

namespace {

// The colour of a classic desktop, behind the picker's yellow label.
const QColor DesktopColour(0x3a, 0x6e, 0xa5);

struct Month {
    const char *code;
    const char *name;
};

constexpr Month Months[] = {
    {"01", "Januari"}, {"02", "Februari"}, {"03", "Maret"},     {"04", "April"},
    {"05", "Mei"},     {"06", "Juni"},     {"07", "Juli"},      {"08", "Agustus"},
    {"09", "September"}, {"10", "Oktober"}, {"11", "November"}, {"12", "Desember"},
};
constexpr int MonthCount = int(std::size(Months));

} // namespace

TForm2::TForm2(QWidget *parent) : Form(QStringLiteral("Form2"), parent)
{
    setWindowTitle(QStringLiteral("Input Bulan Pinjam"));
    setFixedSize(240, 130);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, DesktopColour);
    setPalette(background);

    Label1 = new QLabel(QStringLiteral("Bulan Ke-"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QPalette yellow = Label1->palette();
    yellow.setColor(QPalette::WindowText, Qt::yellow);
    Label1->setPalette(yellow);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(QStringLiteral("Pilih bulan laporan"));
    for (const Month &month : Months)
        ComboBox1->addItem(QString::fromLatin1(month.code));
    // Adding items chooses the first; the picker starts with none chosen.
    ComboBox1->setCurrentIndex(-1);
    Label1->setBuddy(ComboBox1);

    BitBtn1 = new BitBtn(this, QStringLiteral("BitBtn1"), BitBtn::Kind::Custom, QStringLiteral("&Preview"));
    BitBtn1->setHint(QStringLiteral("Tampilkan ke layar"));
    QPalette blue = BitBtn1->palette();
    blue.setColor(QPalette::ButtonText, Qt::blue);
    BitBtn1->setPalette(blue);
    BitBtn1->onClick = [this] { BitBtn1Click(); };
    BitBtn2 = new BitBtn(this, QStringLiteral("BitBtn2"), BitBtn::Kind::Close);
    BitBtn2->setHint(QStringLiteral("Tutup "));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(14);
    auto *month = new QHBoxLayout;
    month->addWidget(Label1);
    month->addWidget(ComboBox1, 1);
    layout->addLayout(month);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);
    layout->addStretch(1);

    move(340, 220);
}

QString TForm2::monthCode(int position)
{
    return position >= 0 && position < MonthCount ? QString::fromLatin1(Months[position].code) : QString();
}

QString TForm2::monthName(int position)
{
    return position >= 0 && position < MonthCount ? QString::fromLatin1(Months[position].name) : QString();
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
    query->first();

    // The count is kept in the money type along with the amount.
    Money amount;
    Money count;
    const Money one = Money::fromUnits(1);
    while (!query->eof()) {
        amount += query->fieldByName(QStringLiteral("Besar_Pinjam"))->asMoney();
        count += one;
        query->next();
    }

    report::Layout &layout = FlapPinjam->QuickRep1;
    layout.setCaption(QStringLiteral("QRLbulan"), monthName(position));
    layout.setCaption(QStringLiteral("QRtahun"), QDate::currentDate().toString(QStringLiteral(" yyyy")));
    layout.setCaption(QStringLiteral("QRLabel13"), amount.toPlainString());
    layout.setCaption(QStringLiteral("QRLabel14"), count.toPlainString());
    report::showPreview(layout, TFlapPinjam::Title);
    close();
}
