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

void Field::setText(const QString &text)
{
    setValue(text);
}

static DatabaseError invalid(const QString &text, const QString &field, const QString &what)
{
    return DatabaseError(dberr::InvalidValue,
                         QStringLiteral("'%1' is not a valid %2 for the field %3").arg(text, what, field));
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
            throw DatabaseError(dberr::ValueTooLong,
                                QStringLiteral("'%1' is longer than the %2 characters of the field %3")
                                    .arg(s).arg(m_def.size).arg(m_def.name));
        return s;
    }
    case FieldType::Date: {
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().isValid() ? value : QVariant();
        const auto date = regional::parseShortDate(text);
        if (!date)
            return {};
        if (!date->isValid())
            throw invalid(text, m_def.name, QStringLiteral("date"));
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
                throw DatabaseError(dberr::InvalidValue, e.message());
            }
        }
        bool ok = false;
        const qint64 units = value.toLongLong(&ok);
        if (!ok)
            throw invalid(value.toString(), m_def.name, QStringLiteral("amount"));
        try {
            return QVariant::fromValue(Money::fromUnits(units));
        } catch (const MoneyError &e) {
            throw DatabaseError(dberr::InvalidValue, e.message());
        }
    }
    case FieldType::Integer:
    case FieldType::AutoInc: {
        if (isText && text.trimmed().isEmpty())
            return {};
        bool ok = false;
        const qint64 n = isText ? text.trimmed().toLongLong(&ok) : value.toLongLong(&ok);
        if (!ok || (m_def.type == FieldType::Integer && (n < INT32_MIN || n > INT32_MAX)))
            throw invalid(value.toString(), m_def.name, QStringLiteral("number"));
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
