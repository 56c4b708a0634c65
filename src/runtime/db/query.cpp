#include "runtime/db/query.h"

#include "runtime/db/connection.h"

#include <QMetaObject>

Query::Query(const QString &name, QObject *parent) : Dataset(name, parent)
{
}

Query::~Query() = default;

namespace {
constexpr int FirstRows = 200;
}

void Query::doOpen()
{
    Connection *connection = Connection::forAlias(m_alias);
    if (!connection)
        throw DatabaseError(dberr::BadFile, QStringLiteral("%1: The alias %2 is not open").arg(objectName(), m_alias));
    // The text is passed to the engine as it stands.
    db::Engine &engine = connection->engine();
    m_stmt = engine.prepare(m_sql.join(QLatin1Char('\n')));
    // A query over a whole table is opened for its first rows; the rest
    // is read when a report walks it.
    m_stmt->readFirst(FirstRows);
    const bool declared = storedFieldCount() > 0;
    m_columnField.assign(m_stmt->columnCount(), -1);
    for (int c = 0; c < m_stmt->columnCount(); ++c) {
        const QString name = m_stmt->columnName(c);
        if (engine.isHidden(name))
            continue;
        Field *field = findField(name);
        if (!field && !declared) {
            FieldDef def;
            def.name = name;
            def.type = m_stmt->columnIsInteger(c) ? FieldType::Integer : FieldType::Text;
            field = addField(def);
        }
        if (field && !field->isCalculated())
            m_columnField[c] = field->index();
    }
    restart();
}

void Query::doClose()
{
    m_stmt.reset();
    m_rows.clear();
    m_done = true;
    m_suspended = false;
}

void Query::restart() const
{
    m_stmt->reset();
    m_rows.clear();
    m_done = false;
    m_suspended = false;
}

void Query::resume() const
{
    // The statement was reset while idle: run it again past the rows held.
    m_stmt->reset();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (!m_stmt->step()) {
            m_done = true;
            m_stmt->reset();
            break;
        }
    }
    m_suspended = false;
}

void Query::suspendLater() const
{
    if (m_suspendQueued)
        return;
    m_suspendQueued = true;
    QMetaObject::invokeMethod(const_cast<Query *>(this), [this] {
        m_suspendQueued = false;
        if (m_stmt && !m_done && !m_suspended)
            m_suspended = m_stmt->pause();
    }, Qt::QueuedConnection);
}

void Query::fetchUpTo(int index) const
{
    if (m_done || (index >= 0 && index < int(m_rows.size())))
        return;
    if (m_suspended)
        resume();
    while (!m_done && (index < 0 || int(m_rows.size()) <= index)) {
        if (!m_stmt->step()) {
            m_done = true;
            m_stmt->reset();
            break;
        }
        Row row(fields().size());
        for (int c = 0; c < int(m_columnField.size()); ++c) {
            const int f = m_columnField[c];
            if (f >= 0)
                row[f] = fields().at(f)->fromStorage(m_stmt->column(c));
        }
        m_rows.push_back(std::move(row));
    }
    if (!m_done)
        suspendLater();
}

int Query::doCount() const
{
    fetchUpTo(-1);
    return int(m_rows.size());
}

bool Query::doHasRow(int index) const
{
    if (index < 0)
        return false;
    fetchUpTo(index);
    return index < int(m_rows.size());
}

Row Query::doRow(int index) const
{
    fetchUpTo(index);
    return m_rows.at(index);
}

int Query::doReload(int current)
{
    restart();
    if (!doHasRow(0))
        return -1;
    fetchUpTo(current);
    return std::clamp(current, 0, int(m_rows.size()) - 1);
}
