#include "runtime/db/postgres/postgres.h"

#include "runtime/db/error.h"

#include <libpq-fe.h>

#include <QHash>

// The tables of the book on a server, made and checked from the same
// TableSchema list as the files of a folder.
namespace postgres {
namespace {

QString lower(const QString &name)
{
    return name.toLower();
}

QString typeOf(const FieldDef &f)
{
    switch (f.type) {
    case FieldType::Text:
        return QStringLiteral("text");
    case FieldType::Date:
        return QStringLiteral("date");
    case FieldType::Money:
    case FieldType::Integer:
    case FieldType::AutoInc:
        break;
    }
    return QStringLiteral("bigint");
}

// The fields that make a table's key: its primary key, or its
// auto-increment number.
QStringList keyOf(const TableSchema &schema)
{
    if (!schema.primaryKey.isEmpty())
        return schema.primaryKey;
    for (const FieldDef &f : schema.fields) {
        if (f.type == FieldType::AutoInc)
            return {f.name};
    }
    return {};
}

QStringList lowered(const QStringList &names)
{
    QStringList out;
    for (const QString &n : names)
        out << lower(n);
    return out;
}

QString keyName(const TableSchema &schema)
{
    return lower(schema.tableName) + QStringLiteral("_kunci");
}

// Index names are unique per database on a server, not per table.
QString indexName(const TableSchema &schema, const IndexDef &index)
{
    return lower(schema.tableName) + QLatin1Char('_') + lower(index.name);
}

// The columns as the catalogue describes them: name, type, nullability.
QStringList expectedColumns(const TableSchema &schema)
{
    const QStringList key = lowered(keyOf(schema));
    QStringList columns;
    for (const FieldDef &f : schema.fields) {
        const bool notNull = f.required || f.type == FieldType::AutoInc;
        columns << QStringLiteral("%1 %2%3").arg(lower(f.name), typeOf(f), notNull ? QStringLiteral(" not null") : QString());
    }
    columns << QStringLiteral("sp_id bigint not null") << QStringLiteral("sp_versi bigint not null");
    return columns;
}

QList<QVariantList> rows(const Session &session, const QString &sql, const QString &table)
{
    const Result result = session.run(sql, {table.toUtf8()});
    QList<QVariantList> out;
    for (int r = 0; r < PQntuples(result.get()); ++r) {
        QVariantList row;
        for (int c = 0; c < PQnfields(result.get()); ++c)
            row << QString::fromUtf8(PQgetvalue(result.get(), r, c));
        out << row;
    }
    return out;
}

QStringList tableProblems(const Session &session, const TableSchema &schema)
{
    const QString table = lower(schema.tableName);
    QStringList problems;
    QStringList columns;
    for (const QVariantList &row :
         rows(session,
              QStringLiteral("SELECT column_name, data_type, is_nullable FROM information_schema.columns "
                             "WHERE table_schema = current_schema() AND table_name = $1 ORDER BY ordinal_position"),
              table)) {
        columns << QStringLiteral("%1 %2%3").arg(row.value(0).toString(), row.value(1).toString(),
                                                 row.value(2).toString() == QLatin1String("NO") ? QStringLiteral(" not null")
                                                                                                 : QString());
    }
    const QStringList expected = expectedColumns(schema);
    if (columns != expected)
        problems << QStringLiteral("Kolom tabel %1 tidak sesuai; seharusnya: %2.")
                        .arg(schema.tableName, expected.join(QStringLiteral(", ")));

    QHash<QString, QString> constraints;
    for (const QVariantList &row :
         rows(session,
              QStringLiteral("SELECT conname, pg_get_constraintdef(oid) FROM pg_constraint "
                             "WHERE conrelid = (SELECT c.oid FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                             "WHERE n.nspname = current_schema() AND c.relname = $1)"),
              table))
        constraints.insert(row.value(0).toString(), row.value(1).toString());
    if (constraints.value(table + QStringLiteral("_pkey")) != QLatin1String("PRIMARY KEY (sp_id)"))
        problems << QStringLiteral("Tabel %1 tidak memiliki identitas baris yang semestinya.").arg(schema.tableName);
    const QStringList key = lowered(keyOf(schema));
    if (!key.isEmpty()
        && constraints.value(keyName(schema)) != QStringLiteral("UNIQUE (%1)").arg(key.join(QStringLiteral(", "))))
        problems << QStringLiteral("Kunci tabel %1 seharusnya: %2.").arg(schema.tableName, keyOf(schema).join(QStringLiteral(", ")));
    int checks = 0;
    for (const FieldDef &f : schema.fields) {
        if (!f.minimum)
            continue;
        ++checks;
        if (!constraints.value(lower(f.name)).startsWith(QLatin1String("CHECK")))
            problems << QStringLiteral("Kolom %1 di tabel %2 tidak memiliki pemeriksaan nilai minimum.").arg(f.name, schema.tableName);
    }
    int found = 0;
    for (const QString &def : std::as_const(constraints))
        found += def.startsWith(QLatin1String("CHECK")) ? 1 : 0;
    if (found > checks)
        problems << QStringLiteral("Tabel %1 memiliki pemeriksaan nilai yang tidak semestinya.").arg(schema.tableName);

    QHash<QString, QString> indexes;
    for (const QVariantList &row :
         rows(session,
              QStringLiteral("SELECT indexname, indexdef FROM pg_indexes WHERE schemaname = current_schema() "
                             "AND tablename = $1"),
              table))
        indexes.insert(row.value(0).toString(), row.value(1).toString());
    for (const IndexDef &index : schema.indexes) {
        const QString name = indexName(schema, index);
        if (!indexes.contains(name)) {
            problems << QStringLiteral("Indeks %1 tidak ada di tabel %2.").arg(index.name, schema.tableName);
            continue;
        }
        const QString def = indexes.value(name);
        const bool unique = def.startsWith(QLatin1String("CREATE UNIQUE"));
        const bool caseless = def.contains(QLatin1String("lower("));
        if (unique != index.unique || caseless != index.caseInsensitive)
            problems << QStringLiteral("Indeks %1 di tabel %2 tidak sesuai.").arg(index.name, schema.tableName);
    }
    return problems;
}

} // namespace

QStringList createSql(const TableSchema &schema)
{
    const QString table = lower(schema.tableName);
    QStringList columns;
    for (const FieldDef &f : schema.fields) {
        QString column = lower(f.name) + QLatin1Char(' ') + typeOf(f);
        // Text sorts by its bytes, as in the files of a folder.
        if (f.type == FieldType::Text)
            column += QStringLiteral(" COLLATE \"C\"");
        if (f.type == FieldType::AutoInc)
            column += QStringLiteral(" GENERATED BY DEFAULT AS IDENTITY");
        else if (f.required)
            column += QStringLiteral(" NOT NULL");
        // Named after the field so that a violation names it.
        if (f.minimum)
            column += QStringLiteral(" CONSTRAINT %1 CHECK (%1 >= %2)").arg(lower(f.name)).arg(f.minimum->raw());
        columns << column;
    }
    // The row identity stands in for a file's rowid; a key of the book may
    // stay empty (once), as in the files.
    columns << QStringLiteral("sp_id bigint GENERATED ALWAYS AS IDENTITY CONSTRAINT %1_pkey PRIMARY KEY").arg(table)
            << QStringLiteral("sp_versi bigint NOT NULL DEFAULT 1");
    const QStringList key = lowered(keyOf(schema));
    if (!key.isEmpty())
        columns << QStringLiteral("CONSTRAINT %1 UNIQUE (%2)").arg(keyName(schema), key.join(QStringLiteral(", ")));
    QStringList statements{QStringLiteral("CREATE TABLE %1 (%2)").arg(table, columns.join(QStringLiteral(", ")))};
    for (const IndexDef &index : schema.indexes) {
        QStringList terms;
        for (const QString &f : index.fields)
            terms << (index.caseInsensitive ? QStringLiteral("lower(%1)").arg(lower(f)) : lower(f));
        statements << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                          .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), indexName(schema, index), table,
                               terms.join(QStringLiteral(", ")));
    }
    return statements;
}

QStringList noticeSql(const QList<TableSchema> &tables)
{
    QStringList statements{
        QStringLiteral("CREATE OR REPLACE FUNCTION sp_kabar() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                       "PERFORM pg_notify('%1', TG_TABLE_NAME || ':' || "
                       "CASE WHEN TG_OP = 'DELETE' THEN OLD.sp_id ELSE NEW.sp_id END); "
                       "RETURN NULL; END $$")
            .arg(QLatin1String(Channel))};
    for (const TableSchema &schema : tables) {
        const QString table = lower(schema.tableName);
        statements << QStringLiteral("DROP TRIGGER IF EXISTS sp_kabar ON %1").arg(table)
                   << QStringLiteral("CREATE TRIGGER sp_kabar AFTER INSERT OR UPDATE OR DELETE ON %1 "
                                     "FOR EACH ROW EXECUTE FUNCTION sp_kabar()")
                          .arg(table);
    }
    return statements;
}

QStringList catalogueProblems(const Session &session, const QList<TableSchema> &tables, bool *empty)
{
    QStringList missing;
    QStringList problems;
    for (const TableSchema &schema : tables) {
        // Read as a table, not through the name cache, so that tables
        // another desk made a moment ago are seen.
        const Result exists = session.run(QStringLiteral("SELECT count(*) > 0 FROM information_schema.tables "
                                                         "WHERE table_schema = current_schema() AND table_name = $1"),
                                          {lower(schema.tableName).toUtf8()});
        if (QByteArray(PQgetvalue(exists.get(), 0, 0)) != "t") {
            missing << QStringLiteral("Tabel %1 tidak ada.").arg(schema.tableName);
            continue;
        }
        problems << tableProblems(session, schema);
    }
    *empty = missing.size() == tables.size();
    return *empty ? QStringList() : missing + problems;
}

} // namespace postgres
