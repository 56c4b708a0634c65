#include "runtime/db/sqlite/filecheck.h"

#include "runtime/db/connection.h"
#include "runtime/db/sqlite/sqlite.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QVariant>

#include <sqlite3.h>

namespace {

// The engine's error while reading, kept apart from our own.
struct ReadError {
    int code;
};

class Reader {
public:
    explicit Reader(const QString &path)
    {
        sqlite3 *raw = nullptr;
        // Read-write, so that a hot journal is rolled back; never created.
        const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        m_db.reset(raw);
        if (rc != SQLITE_OK)
            throw ReadError{rc};
        sqlite3_busy_timeout(raw, 2000);
    }

    QList<QVariantList> rows(const QString &sql) const
    {
        sqlite3_stmt *raw = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        int rc = sqlite3_prepare_v2(m_db.get(), utf8.constData(), int(utf8.size()), &raw, nullptr);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> stmt(raw, sqlite3_finalize);
        if (rc != SQLITE_OK)
            throw ReadError{rc};
        QList<QVariantList> result;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
            QVariantList row;
            for (int c = 0; c < sqlite3_column_count(raw); ++c) {
                if (sqlite3_column_type(raw, c) == SQLITE_INTEGER)
                    row << QVariant::fromValue<qint64>(sqlite3_column_int64(raw, c));
                else
                    row << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(raw, c)));
            }
            result << row;
        }
        if (rc != SQLITE_DONE)
            throw ReadError{rc};
        return result;
    }

private:
    sqlite::DbHandle m_db;
};

using sqlite::quoted;

QString declaredType(FieldType type)
{
    return type == FieldType::Text || type == FieldType::Date ? QStringLiteral("TEXT") : QStringLiteral("INTEGER");
}

// Table SQL without quotes, blanks and case, so that "CHECK ("S_Wajib" >= 0)"
// reads "check(s_wajib>=0)" however a tool wrote it.
QString normalized(const QString &sql)
{
    static const QRegularExpression noise(QStringLiteral("[\\s\"'`\\[\\]]"));
    return QString(sql).remove(noise).toLower();
}

class Checker {
public:
    Checker(const Reader &reader, const TableSchema &schema) : m_reader(reader), m_schema(schema) {}

    QStringList problems()
    {
        const QList<QVariantList> tables = m_reader.rows(QStringLiteral(
            "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"));
        if (tables.size() != 1 || tables.first().value(0).toString() != m_schema.tableName) {
            add(QStringLiteral("File %1 seharusnya hanya berisi tabel %2.").arg(m_schema.fileName, m_schema.tableName));
            return m_problems;
        }
        const QString sql = normalized(tables.first().value(1).toString());
        checkColumns(sql);
        checkChecks(sql);
        checkIndexes();
        return m_problems;
    }

private:
    void add(const QString &problem) { m_problems << problem; }

    QString column(const QString &name) const
    {
        return QStringLiteral("Kolom %1 di file %2").arg(name, m_schema.fileName);
    }

    void checkColumns(const QString &sql)
    {
        const QList<QVariantList> info =
            m_reader.rows(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_schema.tableName)));
        QStringList names;
        for (const QVariantList &row : info)
            names << row.value(1).toString();
        QStringList expected;
        for (const FieldDef &f : m_schema.fields)
            expected << f.name;
        if (names != expected) {
            add(QStringLiteral("Kolom tabel di file %1 tidak sesuai; seharusnya: %2.")
                    .arg(m_schema.fileName, expected.join(QStringLiteral(", "))));
            return;
        }
        QStringList key;
        QStringList expectedKey = m_schema.primaryKey;
        for (int i = 0; i < info.size(); ++i) {
            const FieldDef &f = m_schema.fields.at(i);
            const QString type = info.at(i).value(2).toString().trimmed().toUpper();
            if (type != declaredType(f.type))
                add(QStringLiteral("%1 bertipe %2; seharusnya %3.")
                        .arg(column(f.name), type.isEmpty() ? QStringLiteral("kosong") : type, declaredType(f.type)));
            const bool notNull = info.at(i).value(3).toLongLong() != 0;
            if (notNull != f.required)
                add(f.required ? QStringLiteral("%1 tidak diwajibkan terisi; seharusnya wajib.").arg(column(f.name))
                               : QStringLiteral("%1 diwajibkan terisi; seharusnya boleh kosong.").arg(column(f.name)));
            if (const qint64 position = info.at(i).value(5).toLongLong(); position > 0)
                key.insert(std::min<qsizetype>(position - 1, key.size()), f.name);
            if (f.type == FieldType::AutoInc) {
                expectedKey = QStringList{f.name};
                if (!sql.contains(QLatin1String("autoincrement")))
                    add(QStringLiteral("%1 tidak bernomor otomatis.").arg(column(f.name)));
            }
        }
        if (key != expectedKey)
            add(expectedKey.isEmpty()
                    ? QStringLiteral("Tabel di file %1 seharusnya tanpa kunci utama.").arg(m_schema.fileName)
                    : QStringLiteral("Kunci utama tabel di file %1 tidak sesuai; seharusnya: %2.")
                          .arg(m_schema.fileName, expectedKey.join(QStringLiteral(", "))));
    }

    void checkChecks(const QString &sql)
    {
        int expected = 0;
        for (const FieldDef &f : m_schema.fields) {
            if (!f.minimum)
                continue;
            ++expected;
            const QString check = QStringLiteral("check(%1>=%2)").arg(f.name.toLower()).arg(f.minimum->raw());
            if (!sql.contains(check))
                add(QStringLiteral("%1 tidak memiliki batas minimum %2.").arg(column(f.name), f.minimum->toPlainString()));
        }
        if (sql.count(QLatin1String("check(")) > expected)
            add(QStringLiteral("Tabel di file %1 memiliki pemeriksaan nilai yang tidak semestinya.").arg(m_schema.fileName));
    }

    void checkIndexes()
    {
        for (const IndexDef &index : m_schema.indexes) {
            const QList<QVariantList> found = m_reader.rows(
                QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = '%1' "
                               "AND name = '%2' COLLATE NOCASE")
                    .arg(m_schema.tableName, QString(index.name).replace(QLatin1Char('\''), QStringLiteral("''"))));
            if (found.isEmpty()) {
                add(QStringLiteral("Indeks %1 tidak ada di file %2.").arg(index.name, m_schema.fileName));
                continue;
            }
            if (!indexMatches(index, found.first().value(0).toString()))
                add(QStringLiteral("Indeks %1 di file %2 tidak sesuai.").arg(index.name, m_schema.fileName));
        }
    }

    bool indexMatches(const IndexDef &index, const QString &name) const
    {
        bool unique = false;
        for (const QVariantList &row : m_reader.rows(QStringLiteral("PRAGMA index_list(%1)").arg(quoted(m_schema.tableName)))) {
            if (row.value(1).toString() == name)
                unique = row.value(2).toLongLong() != 0;
        }
        if (unique != index.unique)
            return false;
        QStringList columns;
        const QString collation = index.caseInsensitive ? QStringLiteral("NOCASE") : QStringLiteral("BINARY");
        for (const QVariantList &row : m_reader.rows(QStringLiteral("PRAGMA index_xinfo(%1)").arg(quoted(name)))) {
            if (row.value(5).toLongLong() == 0)
                continue; // the row id the engine appends
            if (row.value(4).toString().compare(collation, Qt::CaseInsensitive) != 0)
                return false;
            columns << row.value(2).toString();
        }
        return columns == index.fields;
    }

    const Reader &m_reader;
    const TableSchema &m_schema;
    QStringList m_problems;
};

QString readProblem(const QString &fileName, int code)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return QStringLiteral("File %1 rusak atau bukan file data program ini.").arg(fileName);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("File %1 sedang dipakai program lain.").arg(fileName);
    default:
        return QStringLiteral("File %1 tidak dapat dibaca (%2).").arg(fileName, QString::fromUtf8(sqlite3_errstr(code)));
    }
}

} // namespace

QStringList tableFileProblems(const QString &path, const TableSchema &schema)
{
    try {
        const Reader reader(path);
        return Checker(reader, schema).problems();
    } catch (const ReadError &error) {
        return {readProblem(schema.fileName, error.code)};
    }
}

bool isWritable(const QString &path)
{
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    const QFileInfo info(path);
    return info.isWritable() && (info.permissions() & anyWrite);
}
