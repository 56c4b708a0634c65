#include "savings/UinputbulanSimpanan.h"

#include "data/DM.h"
#include "runtime/money.h"
#include "runtime/report/report.h"
#include "savings/ULapSimpanBulanan.h"

#include <QDate>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <iterator>

TFlapsimpan *Flapsimpan = nullptr;

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

TFlapsimpan::TFlapsimpan(QWidget *parent) : Form(QStringLiteral("Flapsimpan"), parent)
{
    setWindowTitle(QStringLiteral("Input Bulan Simpan"));
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

    BitBtn1 = new BitBtn(this, QStringLiteral("BitBtn1"), BitBtn::Kind::Custom, QStringLiteral("Preview"));
    BitBtn1->setHint(QStringLiteral("Tampilkan laporan"));
    QPalette blue = BitBtn1->palette();
    blue.setColor(QPalette::ButtonText, Qt::blue);
    BitBtn1->setPalette(blue);
    BitBtn1->onClick = [this] { BitBtn1Click(); };
    BitBtn2 = new BitBtn(this, QStringLiteral("BitBtn2"), BitBtn::Kind::Close);
    BitBtn2->setHint(QStringLiteral("Tutup"));

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

    move(320, 200);
}

QString TFlapsimpan::monthCode(int position)
{
    return position >= 0 && position < MonthCount ? QString::fromLatin1(Months[position].code) : QString();
}

QString TFlapsimpan::monthName(int position)
{
    return position >= 0 && position < MonthCount ? QString::fromLatin1(Months[position].name) : QString();
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
    query->first();

    Money wajib;
    Money sukarela;
    Money wisuda;
    Money total;
    while (!query->eof()) {
        wajib += query->fieldByName(QStringLiteral("S_Wajib"))->asMoney();
        sukarela += query->fieldByName(QStringLiteral("S_Sukarela"))->asMoney();
        wisuda += query->fieldByName(QStringLiteral("S_Wisuda"))->asMoney();
        total += query->fieldByName(QStringLiteral("Total"))->asMoney();
        query->next();
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
