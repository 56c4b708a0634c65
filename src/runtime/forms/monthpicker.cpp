#include "runtime/forms/monthpicker.h"

#include "runtime/forms/look.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <iterator>

namespace {

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

MonthPicker::MonthPicker(const QString &instanceName, QWidget *parent) : Form(instanceName, parent)
{
    setFixedSize(240, 130);
    look::fillWithDesktopColour(this);

    Label1 = look::label(this, QStringLiteral("Label1"), QStringLiteral("Bulan Ke-"));
    look::setTextColour(Label1, Qt::yellow);
    Label1->setFont(look::bold(Label1->font()));

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(QStringLiteral("Pilih bulan laporan"));
    for (const Month &month : Months)
        ComboBox1->addItem(QString::fromLatin1(month.code));
    // Adding items chooses the first; the picker starts with none chosen.
    ComboBox1->setCurrentIndex(-1);
    Label1->setBuddy(ComboBox1);

    BitBtn1 = new BitBtn(this, QStringLiteral("BitBtn1"), BitBtn::Kind::Custom);
    look::setButtonTextColour(BitBtn1, Qt::blue);
    BitBtn1->onClick = [this] { BitBtn1Click(); };
    BitBtn2 = new BitBtn(this, QStringLiteral("BitBtn2"), BitBtn::Kind::Close);

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
}

QString MonthPicker::monthCode(int position)
{
    return position >= 0 && position < MonthCount ? QString::fromLatin1(Months[position].code) : QString();
}

QString MonthPicker::monthName(int position)
{
    return position >= 0 && position < MonthCount ? QString::fromLatin1(Months[position].name) : QString();
}
