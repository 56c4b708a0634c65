#include "runtime/forms/monthpicker.h"

#include "runtime/forms/look.h"
#include "runtime/forms/messages.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>
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
    setFixedSize(240, 160);
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

    Label2 = look::label(this, QStringLiteral("Label2"), QStringLiteral("Tahun"));
    look::setTextColour(Label2, Qt::yellow);
    Label2->setFont(look::bold(Label2->font()));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setToolTip(QStringLiteral("Pilih tahun laporan"));
    Label2->setBuddy(ComboBox2);

    BitBtn1 = new BitBtn(this, QStringLiteral("BitBtn1"), BitBtn::Kind::Custom);
    look::setButtonTextColour(BitBtn1, Qt::blue);
    BitBtn1->onClick = [this] { BitBtn1Click(); };
    BitBtn2 = new BitBtn(this, QStringLiteral("BitBtn2"), BitBtn::Kind::Close);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(14);
    auto *choices = new QGridLayout;
    choices->addWidget(Label1, 0, 0);
    choices->addWidget(ComboBox1, 0, 1);
    choices->addWidget(Label2, 1, 0);
    choices->addWidget(ComboBox2, 1, 1);
    choices->setColumnStretch(1, 1);
    layout->addLayout(choices);
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

void MonthPicker::showEvent(QShowEvent *event)
{
    Form::showEvent(event);
    if (!event->spontaneous())
        messages::guard([this] { offerYears(firstYear()); });
}

void MonthPicker::offerYears(int first)
{
    const int current = QDate::currentDate().year();
    const QString chosen = ComboBox2->count() > 0 ? chosenYear() : QString::number(current);
    ComboBox2->clear();
    for (int year = std::min(first, current); year <= current; ++year)
        ComboBox2->addItem(QString::number(year));
    const int at = ComboBox2->findText(chosen);
    ComboBox2->setCurrentIndex(at >= 0 ? at : ComboBox2->count() - 1);
}

QString MonthPicker::chosenYear() const
{
    return ComboBox2->currentIndex() >= 0 ? ComboBox2->currentText() : QString();
}
