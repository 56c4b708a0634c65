#include "runtime/db/table.h"

#include "runtime/db/connection.h"

#include <QScopedValueRollback>

#include <unordered_set>

Table::Table(const QString &name, QObject *parent) : Dataset(name, parent)
{
}

void Table::setIndexName(const QString &name)
{
    // Setting the index in use again is a no-op, as windows do on activation.
    if (isActive() && name == m_indexName && m_requestedFields.isEmpty())
        return;
    m_indexName = name;
    m_requestedFields.clear();
    if (isActive()) {
        resolveIndex();
        refresh();
    }
}

void Table::setIndexFieldNames(const QString &fields)
{
    const QStringList list = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (isActive() && list == m_requestedFields && m_indexName.isEmpty())
        return;
    m_indexName.clear();
    m_requestedFields = list;
    if (isActive()) {
        resolveIndex();
        refresh();
    }
}

void Table::resolveIndex()
{
    m_indexNoCase = false;
    if (!m_indexName.isEmpty()) {
        for (const IndexDef &index : m_schema->indexes) {
            if (index.name.compare(m_indexName, Qt::CaseInsensitive) == 0) {
                m_indexFields = index.fields;
                m_indexNoCase = index.caseInsensitive;
                return;
            }
        }
        throw DatabaseError(dberr::General, QStringLiteral("%1: Index '%2' not found").arg(objectName(), m_indexName));
    }
    if (!m_requestedFields.isEmpty()) {
        // Chosen by field names: take the index over exactly those fields.
        m_indexFields = m_requestedFields;
        const QString wanted = m_requestedFields.join(';');
        for (const IndexDef &index : m_schema->indexes) {
            if (index.fields.join(';').compare(wanted, Qt::CaseInsensitive) == 0) {
                m_indexNoCase = index.caseInsensitive;
                return;
            }
        }
        if (m_schema->primaryKey.join(';').compare(wanted, Qt::CaseInsensitive) == 0)
            return;
        throw DatabaseError(dberr::General,
                            QStringLiteral("%1: No index for fields '%2'").arg(objectName(), m_indexFields.join(';')));
    }
    m_indexFields = m_schema->primaryKey;
    if (m_indexFields.isEmpty()) {
        for (const FieldDef &f : m_schema->fields) {
            if (f.type == FieldType::AutoInc)
                m_indexFields << f.name;
        }
    }
}

QString Table::keyTerm(const QString &field, bool noCase) const
{
    return noCase ? m_engine->caseless(name(field)) : name(field);
}

QString Table::orderBy() const
{
    QStringList terms;
    for (const QString &f : m_indexFields)
        terms << keyTerm(f, m_indexNoCase) + m_engine->nullsFirst();
    // Within equal keys, rows come in the order they were first stored.
    terms << m_engine->rowId();
    return terms.join(QStringLiteral(", "));
}

void Table::forget(qint64 rowid)
{
    m_cache.remove(rowid);
    m_versions.remove(rowid);
}

void Table::forgetAll()
{
    m_cache.clear();
    m_versions.clear();
}

DatabaseError Table::changedError()
{
    return DatabaseError(dberr::RowChanged, QStringLiteral("Data telah diubah oleh meja lain. Data dibaca ulang."));
}

void Table::refuseChanged() const
{
    throw changedError();
}

void Table::readAgainKeepingVersions()
{
    const QScopedValueRollback keeping(m_keepVersions, true);
    readAgain();
}

QString Table::rangeWhere(QVariantList &binds) const
{
    const QStringList links = masterFieldList();
    if (links.isEmpty() || !masterSource())
        return QStringLiteral("1 = 1");
    const QVariantList values = masterValues();
    QStringList terms;
    for (int i = 0; i < links.size(); ++i) {
        const QVariant v = values.value(i);
        if (v.isNull())
            return QStringLiteral("1 = 0");
        const Field *f = fieldByName(links.at(i));
        const bool noCase = m_indexNoCase && m_indexFields.contains(f->name(), Qt::CaseInsensitive);
        terms << keyTerm(f->name(), noCase) + QStringLiteral(" = ") + (noCase ? m_engine->caseless(QStringLiteral("?")) : QStringLiteral("?"));
        binds << f->toStorage(f->normalize(v));
    }
    return terms.join(QStringLiteral(" AND "));
}

void Table::doOpen()
{
    m_connection = Connection::forAlias(m_alias);
    if (!m_connection)
        throw DatabaseError(dberr::BadFile, QStringLiteral("%1: The alias %2 is not open").arg(objectName(), m_alias));
    m_schema = m_connection->schemaForFile(m_fileName);
    if (!m_schema)
        throw DatabaseError(dberr::BadFile,
                            QStringLiteral("%1: Table %2 does not exist under %3").arg(objectName(), m_fileName, m_alias));
    m_engine = &m_connection->engine();
    if (storedFieldCount() == 0) {
        for (const FieldDef &f : m_schema->fields)
            addField(f);
    }
    m_columnField.clear();
    for (Field *f : fieldList()) {
        if (f->isCalculated())
            continue;
        if (!m_schema->field(f->name()))
            throw DatabaseError(dberr::NoSuchField,
                                QStringLiteral("%1: Field '%2' not found in %3").arg(objectName(), f->name(), m_fileName));
        m_columnField.push_back(f->index());
    }
    QStringList columns;
    for (int index : m_columnField)
        columns << name(fieldList().at(index)->name());
    if (!m_engine->version().isEmpty())
        columns << m_engine->version();
    m_fetch = m_engine->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                    .arg(columns.join(QStringLiteral(", ")), name(m_schema->tableName), m_engine->rowId()));
    if (m_engine->rowsPerRead() > 1) {
        const QStringList marks(m_engine->rowsPerRead(), QStringLiteral("?"));
        m_fetchAhead = m_engine->prepare(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 IN (%4)")
                                             .arg(m_engine->rowId(), columns.join(QStringLiteral(", ")),
                                                  name(m_schema->tableName), marks.join(QStringLiteral(", "))));
    }
    resolveIndex();
    forgetAll();
    loadKeys();
    disconnect(m_newsConnection);
    m_newsConnection = connect(&m_connection->changes(), &db::ChangeFeed::changed, this, [this](const QStringList &tables) {
        if (tables.contains(m_schema->tableName, Qt::CaseInsensitive))
            markStale();
    });
}

bool Table::canReadAgainNow() const
{
    return !m_engine->inTransaction();
}

void Table::doClose()
{
    disconnect(m_newsConnection);
    m_fetch.reset();
    m_fetchAhead.reset();
    forgetAll();
    m_rowids.clear();
}

void Table::loadKeys()
{
    QVariantList binds;
    const QString where = rangeWhere(binds);
    const auto select = m_engine->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4")
                                              .arg(m_engine->rowId(), name(m_schema->tableName), where, orderBy()));
    select->bindAll(binds);
    // A read that fails half-way leaves the range as it was.
    std::vector<qint64> rowids;
    while (select->step())
        rowids.push_back(select->columnInt(0));
    m_rowids.swap(rowids);
}

int Table::positionOf(qint64 rowid) const
{
    const auto found = std::find(m_rowids.begin(), m_rowids.end(), rowid);
    return found == m_rowids.end() ? -1 : int(found - m_rowids.begin());
}

int Table::doCount() const
{
    return int(m_rowids.size());
}

bool Table::doHasRow(int index) const
{
    return index >= 0 && index < int(m_rowids.size());
}

// The stored columns of a row from `statement`, starting at `first`, then
// its version; the row goes into the cache.
Row Table::keep(qint64 rowid, const db::Statement &statement, int first) const
{
    Row row(fieldList().size());
    const int count = int(m_columnField.size());
    for (int c = 0; c < count; ++c) {
        const Field *f = fieldList().at(m_columnField[c]);
        row[f->index()] = f->fromStorage(statement.column(first + c));
    }
    // The first reading counts: a row shown again later (read anew when
    // the cache let it go) keeps the version the clerk's edit began on.
    if (!m_engine->version().isEmpty() && !m_versions.contains(rowid))
        m_versions.insert(rowid, statement.columnInt(first + count));
    m_cache.insert(rowid, new Row(row));
    return row;
}

Row Table::fetch(qint64 rowid) const
{
    if (const Row *cached = m_cache.object(rowid))
        return *cached;
    m_fetch->reset();
    m_fetch->bind(1, rowid);
    Row row(fieldList().size());
    if (m_fetch->step())
        row = keep(rowid, *m_fetch, 0);
    else
        m_cache.insert(rowid, new Row(row));
    m_fetch->reset();
    return row;
}

// The rows from `index` on that are not in the cache, read in one statement:
// a grid's page or a member's deposits cost one round trip to a server, not
// one each.
void Table::fetchAhead(int index) const
{
    const int places = m_engine->rowsPerRead();
    QVariantList rowids;
    for (size_t i = size_t(index); i < m_rowids.size() && rowids.size() < places; ++i) {
        if (!m_cache.contains(m_rowids[i]))
            rowids << m_rowids[i];
    }
    if (rowids.isEmpty())
        return;
    while (rowids.size() < places)
        rowids << rowids.first();   // the statement has a fixed number of places
    m_fetchAhead->reset();
    m_fetchAhead->bindAll(rowids);
    while (m_fetchAhead->step())
        keep(m_fetchAhead->columnInt(0), *m_fetchAhead, 1);
    m_fetchAhead->reset();
}

Row Table::doRow(int index) const
{
    const qint64 rowid = m_rowids.at(index);
    if (m_fetchAhead && !m_cache.contains(rowid))
        fetchAhead(index);
    return fetch(rowid);
}

int Table::doReload(int current)
{
    const qint64 rowid = doHasRow(current) ? m_rowids.at(current) : -1;
    if (m_keepVersions)
        m_cache.clear();
    else
        forgetAll();
    loadKeys();
    if (m_rowids.empty())
        return -1;
    const int found = rowid < 0 ? -1 : positionOf(rowid);
    if (found >= 0)
        return found;
    return std::clamp(current, 0, int(m_rowids.size()) - 1);
}

QVariant Table::doBookmark(int index) const
{
    return QVariant::fromValue<qint64>(m_rowids.at(index));
}

int Table::doIndexOfBookmark(const QVariant &bookmark) const
{
    return positionOf(bookmark.toLongLong());
}

// The engine lets any number of rows share a key that is (partly) empty; for
// the book an empty key is a value like any other, so a second one is a key
// violation too. Files that already hold such rows stay readable.
void Table::checkEmptyKeys(const Row &row, qint64 rowid) const
{
    QList<QStringList> keys;
    if (!m_schema->primaryKey.isEmpty())
        keys << m_schema->primaryKey;
    for (const IndexDef &index : m_schema->indexes) {
        if (index.unique)
            keys << index.fields;
    }
    for (const QStringList &key : std::as_const(keys)) {
        QStringList terms;
        QVariantList binds;
        bool empty = false;
        for (const QString &keyField : key) {
            const Field *f = fieldByName(keyField);
            const QVariant value = f->toStorage(row.value(f->index()));
            empty = empty || value.isNull();
            terms << name(f->name()) + QLatin1Char(' ') + m_engine->sameAs() + QStringLiteral(" ?");
            binds << value;
        }
        if (!empty)
            continue;
        binds << rowid;
        const auto same = m_engine->prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 AND %3 <> ? LIMIT 1")
                                                .arg(name(m_schema->tableName), terms.join(QStringLiteral(" AND ")),
                                                     m_engine->rowId()));
        same->bindAll(binds);
        if (same->step())
            throw DatabaseError(dberr::KeyViolation, QStringLiteral("Data dengan kunci yang sama sudah ada."));
    }
}

std::unique_ptr<db::Transaction> Table::holdMaster(const Row &row)
{
    const QString lock = m_engine->rowLock(true);
    if (m_masterRefusal.isEmpty() || lock.isEmpty() || m_engine->inTransaction())
        return {};
    const auto *master = qobject_cast<const Table *>(masterSource() ? masterSource()->dataSet() : nullptr);
    if (!master || master->state() != DataState::Browse)
        return {};
    QStringList terms;
    QVariantList binds;
    for (const QString &link : masterFieldList()) {
        const Field *f = fieldByName(link);
        const QVariant value = f->toStorage(row.value(f->index()));
        if (value.isNull())
            return {};
        terms << name(link) + QStringLiteral(" = ?");
        binds << value;
    }
    auto held = std::make_unique<db::Transaction>(*m_connection);
    const auto select = m_engine->prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2%3")
                                              .arg(name(master->m_schema->tableName),
                                                   terms.join(QStringLiteral(" AND ")), lock));
    select->bindAll(binds);
    if (!select->step())
        throw DatabaseError(dberr::RowChanged, m_masterRefusal);
    return held;
}

void Table::holdCurrentRow()
{
    requireActive();
    const QString lock = m_engine->rowLock(false);
    if (lock.isEmpty() || state() == DataState::Insert || !doHasRow(recNo()))
        return;
    const qint64 rowid = m_rowids.at(size_t(recNo()));
    const QString version = m_engine->version();
    QString where = m_engine->rowId() + QStringLiteral(" = ?");
    if (!version.isEmpty())
        where += QStringLiteral(" AND %1 = ?").arg(version);
    const auto select = m_engine->prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2%3")
                                              .arg(name(m_schema->tableName), where, lock));
    select->bind(1, rowid);
    if (!version.isEmpty())
        select->bind(2, m_versions.value(rowid));
    if (!select->step())
        refuseChanged();
}

int Table::doInsertRow(const Row &row)
{
    std::unique_ptr<db::Transaction> held = holdMaster(row);
    checkEmptyKeys(row, -1);
    QStringList columns;
    QStringList marks;
    QVariantList binds;
    for (int index : m_columnField) {
        const Field *f = fieldList().at(index);
        if (f->type() == FieldType::AutoInc && row.value(index).isNull())
            continue;
        columns << name(f->name());
        marks << QStringLiteral("?");
        binds << f->toStorage(row.value(index));
    }
    const QString sql = columns.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(name(m_schema->tableName))
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
              .arg(name(m_schema->tableName), columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    const qint64 rowid = m_engine->insert(sql, binds);
    if (held)
        held->commit();
    forget(rowid);
    loadKeys();
    return positionOf(rowid);
}

int Table::doUpdateRow(int index, const Row &row)
{
    const qint64 rowid = m_rowids.at(index);
    std::unique_ptr<db::Transaction> held = holdMaster(row);
    checkEmptyKeys(row, rowid);
    QStringList sets;
    QVariantList binds;
    for (int column : m_columnField) {
        const Field *f = fieldList().at(column);
        if (f->type() == FieldType::AutoInc)
            continue;
        sets << name(f->name()) + QStringLiteral(" = ?");
        binds << f->toStorage(row.value(column));
    }
    const QString version = m_engine->version();
    QString where = m_engine->rowId() + QStringLiteral(" = ?");
    binds << rowid;
    if (!version.isEmpty()) {
        sets << QStringLiteral("%1 = %1 + 1").arg(version);
        where += QStringLiteral(" AND %1 = ?").arg(version);
        binds << m_versions.value(rowid);
    }
    const auto update = m_engine->prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                              .arg(name(m_schema->tableName), sets.join(QStringLiteral(", ")), where));
    update->bindAll(binds);
    update->exec();
    if (update->affectedRows() == 0)
        refuseChanged();
    if (held)
        held->commit();
    forget(rowid);
    loadKeys();
    return positionOf(rowid);
}

void Table::doDeleteRow(int index)
{
    const qint64 rowid = m_rowids.at(index);
    const QString version = m_engine->version();
    QString where = m_engine->rowId() + QStringLiteral(" = ?");
    if (!version.isEmpty())
        where += QStringLiteral(" AND %1 = ?").arg(version);
    const auto remove = m_engine->prepare(QStringLiteral("DELETE FROM %1 WHERE %2").arg(name(m_schema->tableName), where));
    remove->bind(1, rowid);
    if (!version.isEmpty())
        remove->bind(2, m_versions.value(rowid));
    remove->exec();
    if (remove->affectedRows() == 0)
        refuseChanged();
    forget(rowid);
    loadKeys();
}

int Table::doFindContaining(const QStringList &fields, const QString &text, int from) const
{
    QVariantList binds;
    const QString range = rangeWhere(binds);
    QString pattern = text;
    pattern.replace(u'\\', QStringLiteral("\\\\")).replace(u'%', QStringLiteral("\\%")).replace(u'_', QStringLiteral("\\_"));
    pattern = u'%' + pattern + u'%';
    QStringList terms;
    for (const QString &fieldName : fields) {
        const Field *f = fieldByName(fieldName);
        if (f->isCalculated())
            return Dataset::doFindContaining(fields, text, from);
        terms << m_engine->caseless(name(f->name())) + QStringLiteral(" LIKE ") + m_engine->caseless(QStringLiteral("?"))
                     + QStringLiteral(" ESCAPE '\\'");
        binds << pattern;
    }
    // The engine picks the matching rows in one pass; their order is the
    // range's, which is already in memory.
    const auto select = m_engine->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE (%3) AND (%4)")
                                              .arg(m_engine->rowId(), name(m_schema->tableName), range,
                                                   terms.join(QStringLiteral(" OR "))));
    select->bindAll(binds);
    std::unordered_set<qint64> matches;
    while (select->step())
        matches.insert(select->columnInt(0));
    const int count = int(m_rowids.size());
    for (int step = 0; step < count && !matches.empty(); ++step) {
        const int index = (from + step) % count;
        if (matches.count(m_rowids[size_t(index)]))
            return index;
    }
    return -1;
}

int Table::doFind(const QVariantList &values)
{
    if (values.isEmpty() || values.size() > m_indexFields.size())
        return -1;
    QVariantList binds;
    const QString range = rangeWhere(binds);
    QStringList terms{range};
    for (int i = 0; i < values.size(); ++i) {
        const Field *f = fieldByName(m_indexFields.at(i));
        QVariant v;
        try {
            v = f->normalize(values.at(i));
        } catch (const DatabaseError &) {
            return -1; // a text that cannot be a key value matches nothing
        }
        if (v.isNull())
            return -1;
        terms << keyTerm(f->name(), m_indexNoCase) + QStringLiteral(" = ")
                + (m_indexNoCase ? m_engine->caseless(QStringLiteral("?")) : QStringLiteral("?"));
        binds << f->toStorage(v);
    }
    const auto select = m_engine->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4 LIMIT 1")
                                              .arg(m_engine->rowId(), name(m_schema->tableName),
                                                   terms.join(QStringLiteral(" AND ")), orderBy()));
    select->bindAll(binds);
    if (!select->step())
        return -1;
    return positionOf(select->columnInt(0));
}
