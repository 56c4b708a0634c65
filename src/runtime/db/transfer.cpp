#include "runtime/db/transfer.h"

#include "runtime/db/connection.h"
#include "runtime/db/error.h"
#include "runtime/db/transferside.h"

#include <QLocale>

namespace transfer {
namespace {

std::unique_ptr<Source> openSource(const QString &place, const QList<TableSchema> &tables)
{
    return isServerTarget(place) ? openServerSource(place, tables) : openFolderSource(place, tables);
}

std::unique_ptr<Target> openTarget(const QString &place, const QList<TableSchema> &tables)
{
    return isServerTarget(place) ? openServerTarget(place, tables) : openFolderTarget(place, tables);
}

// Progress is told about every this many rows, and at the end of each table.
constexpr qint64 ProgressStep = 5000;

} // namespace

QList<const FieldDef *> moneyFields(const TableSchema &schema)
{
    QList<const FieldDef *> fields;
    for (const FieldDef &f : schema.fields) {
        if (f.type == FieldType::Money)
            fields << &f;
    }
    return fields;
}

const FieldDef *autoIncField(const TableSchema &schema)
{
    for (const FieldDef &f : schema.fields) {
        if (f.type == FieldType::AutoInc)
            return &f;
    }
    return nullptr;
}

Outcome copyBook(const QString &from, const QString &to, const QList<TableSchema> &tables, const Progress &progress)
{
    const std::unique_ptr<Source> source = openSource(from, tables);
    Outcome outcome;
    outcome.source = source->describe();
    qint64 total = 0;
    for (const TableSchema &schema : tables) {
        outcome.before << source->tally(schema);
        total += outcome.before.last().rows;
    }
    const std::unique_ptr<Target> target = openTarget(to, tables);
    outcome.target = target->describe();

    qint64 done = 0;
    for (const TableSchema &schema : tables) {
        const std::unique_ptr<RowReader> reader = source->rows(schema);
        const std::unique_ptr<RowWriter> writer = target->rows(schema);
        Row row;
        while (reader->next(row)) {
            writer->put(row);
            if (++done % ProgressStep == 0 && progress)
                progress(schema.tableName, done, total, false);
        }
        writer->finish();
        if (progress)
            progress(schema.tableName, done, total, true);
    }
    target->finishTables();
    for (int i = 0; i < tables.size(); ++i) {
        if (autoIncField(tables.at(i)))
            target->setNextNumber(tables.at(i), outcome.before.at(i).nextNumber);
    }
    for (const TableSchema &schema : tables)
        outcome.after << target->tally(schema);
    if (outcome.same()) {
        target->commit();
        outcome.committed = true;
    }
    return outcome;
}

namespace {

// An exact amount with its thousands grouped: "24.515.428.000", "1.234,5678".
QString grouped(Money amount, const QLocale &locale)
{
    QString plain = amount.toPlainString(QLocale::c());
    // The sign apart: a whole part of "-0" would lose it.
    const bool negative = plain.startsWith(QLatin1Char('-'));
    if (negative)
        plain.remove(0, 1);
    const QString whole = plain.section(QLatin1Char('.'), 0, 0);
    const QString decimals = plain.section(QLatin1Char('.'), 1);
    QString text = (negative ? locale.negativeSign() : QString()) + locale.toString(whole.toLongLong());
    if (!decimals.isEmpty())
        text += locale.decimalPoint() + decimals;
    return text;
}

} // namespace

QString comparisonText(const QList<TableSchema> &tables, const Outcome &outcome)
{
    const QLocale locale(QLocale::Indonesian, QLocale::Indonesia);
    struct Line {
        QString table, what, before, after;
    };
    QList<Line> lines{{QStringLiteral("Tabel"), QStringLiteral("Isi"), QStringLiteral("Asal"), QStringLiteral("Tujuan")}};
    for (int i = 0; i < tables.size(); ++i) {
        const TableSchema &schema = tables.at(i);
        const Tally before = outcome.before.value(i);
        const Tally after = outcome.after.value(i);
        lines << Line{schema.tableName, QStringLiteral("jumlah baris"), locale.toString(before.rows),
                      locale.toString(after.rows)};
        const QList<const FieldDef *> money = moneyFields(schema);
        for (int m = 0; m < money.size(); ++m)
            lines << Line{{}, QStringLiteral("jumlah ") + money.at(m)->name, grouped(before.sums.value(m), locale),
                          grouped(after.sums.value(m), locale)};
        if (const FieldDef *number = autoIncField(schema))
            lines << Line{{}, number->name + QStringLiteral(" berikutnya"), QString::number(before.nextNumber),
                          QString::number(after.nextNumber)};
    }
    qsizetype widths[3] = {0, 0, 0};
    for (const Line &line : std::as_const(lines)) {
        widths[0] = std::max(widths[0], line.table.size());
        widths[1] = std::max(widths[1], line.what.size());
        widths[2] = std::max(widths[2], line.before.size());
    }
    qsizetype afterWidth = 0;
    for (const Line &line : std::as_const(lines))
        afterWidth = std::max(afterWidth, line.after.size());
    QString text;
    for (int i = 0; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        QString out = line.table.leftJustified(widths[0]) + QStringLiteral("  ") + line.what.leftJustified(widths[1])
            + QStringLiteral("  ") + line.before.rightJustified(widths[2]) + QStringLiteral("  ")
            + line.after.rightJustified(afterWidth);
        if (i > 0 && line.before != line.after)
            out += QStringLiteral("  <- BEDA");
        text += out + QLatin1Char('\n');
    }
    return text;
}

} // namespace transfer
