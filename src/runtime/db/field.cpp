#include "runtime/db/field.h"

#include "runtime/db/dataset.h"
#include "runtime/regional.h"

Field::Field(Dataset *dataset, FieldDef def, int index)
    : m_dataset(dataset), m_def(std::move(def)), m_index(index)
{
}

QVariant Field::value() const
{
    return m_dataset->value(m_index);
}

QString Field::asString() const
{
    return format(value(), false);
}

QString Field::displayText() const
{
    return format(value(), true);
}

Money Field::asMoney() const
{
    const QVariant v = value();
    if (v.isNull())
        return {};
    if (v.canConvert<Money>() && v.typeId() == qMetaTypeId<Money>())
        return v.value<Money>();
    return normalize(v).value<Money>();
}

qint64 Field::asInteger() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0;
    if (v.typeId() == qMetaTypeId<Money>())
        return v.value<Money>().raw() / Money::Scale;
    return v.toLongLong();
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0.0;
    if (v.typeId() == qMetaTypeId<Money>())
        return v.value<Money>().toDouble();
    return v.toDouble();
}

QDate Field::asDate() const
{
    const QVariant v = value();
    return v.typeId() == QMetaType::QDate ? v.toDate() : QDate();
}

void Field::setValue(const QVariant &value)
{
    m_dataset->setFieldValue(this, normalize(value));
}

namespace {

enum class MaskFit {
    Empty,       // no digit typed: an empty value
    Complete,
    Incomplete,  // a digit group holds fewer digits than it requires
    Foreign,     // not a text of the mask's form at all
};

// Edit masks of the form "!99/99/00;1;_": in the first part 9 is an optional
// digit, 0 a required one, any other character a literal that separates
// digit groups ('!' only says how blanks show). Blanks may stand for digits
// not typed.
MaskFit fitOfMask(const QString &editMask, const QString &text)
{
    const QString mask = editMask.section(QLatin1Char(';'), 0, 0).remove(QLatin1Char('!'));
    const QString blanks = editMask.section(QLatin1Char(';'), 2, 2).left(1) + QLatin1Char(' ');
    int at = 0;
    int digits = 0;
    bool incomplete = false;
    for (int m = 0; m < mask.size();) {
        if (mask.at(m) != QLatin1Char('0') && mask.at(m) != QLatin1Char('9')) {
            if (at >= text.size() || text.at(at) != mask.at(m))
                return MaskFit::Foreign;
            ++at;
            ++m;
            continue;
        }
        int required = 0;
        int room = 0;
        for (; m < mask.size() && (mask.at(m) == QLatin1Char('0') || mask.at(m) == QLatin1Char('9')); ++m) {
            ++room;
            required += mask.at(m) == QLatin1Char('0');
        }
        const QChar separator = m < mask.size() ? mask.at(m) : QChar();
        int typed = 0;
        for (; at < text.size() && text.at(at) != separator; ++at) {
            if (text.at(at).isDigit())
                ++typed;
            else if (!blanks.contains(text.at(at)))
                return MaskFit::Foreign;
        }
        if (typed > room)
            return MaskFit::Foreign;
        incomplete = incomplete || typed < required;
        digits += typed;
    }
    if (at != text.size())
        return MaskFit::Foreign;
    if (digits == 0)
        return MaskFit::Empty;
    return incomplete ? MaskFit::Incomplete : MaskFit::Complete;
}

} // namespace

DatabaseError Field::refusal(int code, const QString &why) const
{
    return DatabaseError(code, QStringLiteral("\"%1\": %2").arg(displayLabel(), why));
}

DatabaseError Field::invalid(const QString &text, const QString &what) const
{
    return refusal(dberr::InvalidValue, QStringLiteral("\"%1\" bukan %2 yang sah").arg(text, what));
}

void Field::checkMaskEntry(const QString &text) const
{
    if (m_def.editMask.isEmpty() || text.isEmpty())
        return;
    switch (fitOfMask(m_def.editMask, text)) {
    case MaskFit::Empty:
    case MaskFit::Complete:
        return;
    case MaskFit::Incomplete:
        throw refusal(dberr::IncompleteEntry, QStringLiteral("\"%1\" belum lengkap").arg(text));
    case MaskFit::Foreign:
        throw refusal(dberr::IncompleteEntry, QStringLiteral("\"%1\" tidak sesuai format").arg(text));
    }
}

void Field::checkEntries(const QList<Field *> &fields)
{
    for (const Field *f : fields) {
        if (!f->isCalculated() && f->type() == FieldType::Text && !f->def().editMask.isEmpty())
            f->checkMaskEntry(f->asString());
    }
    for (const Field *f : fields) {
        if (!f->isCalculated() && f->def().required && f->isNull())
            throw f->refusal(dberr::RequiredValue, QStringLiteral("harus diisi"));
    }
    for (const Field *f : fields) {
        const std::optional<Money> &minimum = f->def().minimum;
        if (!f->isCalculated() && minimum && !f->isNull() && f->asMoney() < *minimum)
            throw f->refusal(dberr::MinimumValue, QStringLiteral("paling sedikit %1").arg(minimum->toPlainString()));
    }
}

void Field::setText(const QString &text)
{
    // A date is held as a date, which cannot keep a half-typed entry: it is
    // refused as it is typed. A masked text waits for the post.
    if (m_def.type == FieldType::Date && !m_def.editMask.isEmpty()
        && fitOfMask(m_def.editMask, text) == MaskFit::Incomplete)
        checkMaskEntry(text);
    setValue(text);
}


QVariant Field::normalize(const QVariant &value) const
{
    if (value.isNull())
        return {};
    const bool isText = value.typeId() == QMetaType::QString;
    const QString text = isText ? value.toString() : QString();
    switch (m_def.type) {
    case FieldType::Text: {
        const QString s = value.toString();
        if (s.isEmpty())
            return {};
        if (m_def.size > 0 && s.size() > m_def.size)
            throw refusal(dberr::ValueTooLong,
                          QStringLiteral("\"%1\" lebih dari %2 karakter").arg(s).arg(m_def.size));
        return s;
    }
    case FieldType::Date: {
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().isValid() ? value : QVariant();
        const auto date = regional::parseShortDate(text);
        if (!date)
            return {};
        if (!date->isValid())
            throw invalid(text, QStringLiteral("tanggal"));
        return *date;
    }
    case FieldType::Money: {
        if (value.typeId() == qMetaTypeId<Money>())
            return value;
        if (isText) {
            if (text.trimmed().isEmpty())
                return {};
            try {
                return QVariant::fromValue(Money::parse(text));
            } catch (const MoneyError &e) {
                throw refusal(dberr::InvalidValue, e.message());
            }
        }
        bool ok = false;
        const qint64 units = value.toLongLong(&ok);
        if (!ok)
            throw invalid(value.toString(), QStringLiteral("jumlah uang"));
        try {
            return QVariant::fromValue(Money::fromUnits(units));
        } catch (const MoneyError &e) {
            throw refusal(dberr::InvalidValue, e.message());
        }
    }
    case FieldType::Integer:
    case FieldType::AutoInc: {
        if (isText && text.trimmed().isEmpty())
            return {};
        bool ok = false;
        const qint64 n = isText ? text.trimmed().toLongLong(&ok) : value.toLongLong(&ok);
        if (!ok || (m_def.type == FieldType::Integer && (n < INT32_MIN || n > INT32_MAX)))
            throw invalid(value.toString(), QStringLiteral("bilangan"));
        return QVariant::fromValue<qint64>(n);
    }
    }
    return {};
}

QString Field::format(const QVariant &value, bool display) const
{
    if (value.isNull())
        return {};
    switch (m_def.type) {
    case FieldType::Text:
        return value.toString();
    case FieldType::Date:
        return regional::shortDate(value.toDate());
    case FieldType::Money: {
        const Money m = value.value<Money>();
        return display ? m.toCurrencyString() : m.toPlainString();
    }
    case FieldType::Integer:
    case FieldType::AutoInc:
        return QString::number(value.toLongLong());
    }
    return {};
}

QVariant Field::toStorage(const QVariant &value) const
{
    if (value.isNull())
        return {};
    switch (m_def.type) {
    case FieldType::Text:
        return value.toString();
    case FieldType::Date:
        return value.toDate().toString(Qt::ISODate);
    case FieldType::Money:
        return QVariant::fromValue<qint64>(value.value<Money>().raw());
    case FieldType::Integer:
    case FieldType::AutoInc:
        return QVariant::fromValue<qint64>(value.toLongLong());
    }
    return {};
}

QVariant Field::fromStorage(const QVariant &stored) const
{
    if (stored.isNull())
        return {};
    switch (m_def.type) {
    case FieldType::Text:
        return stored.toString();
    case FieldType::Date: {
        const QDate date = QDate::fromString(stored.toString(), Qt::ISODate);
        return date.isValid() ? QVariant(date) : QVariant();
    }
    case FieldType::Money:
        return QVariant::fromValue(Money::fromRaw(stored.toLongLong()));
    case FieldType::Integer:
    case FieldType::AutoInc:
        return QVariant::fromValue<qint64>(stored.toLongLong());
    }
    return {};
}
