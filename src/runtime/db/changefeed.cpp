#include "runtime/db/changefeed.h"

#include <utility>

namespace db {

namespace {
// Long enough to gather a desk's burst of posts, short enough that the
// others see them at once.
constexpr int GatherMs = 150;
}

ChangeFeed::ChangeFeed()
{
    m_gather.setSingleShot(true);
    m_gather.setInterval(GatherMs);
    connect(&m_gather, &QTimer::timeout, this, [this] {
        const QStringList tables = std::exchange(m_tables, {});
        if (!tables.isEmpty())
            emit changed(tables);
    });
}

void ChangeFeed::note(const QStringList &tables)
{
    for (const QString &table : tables) {
        if (!m_tables.contains(table, Qt::CaseInsensitive))
            m_tables << table;
    }
    // Not restarted by later news: a steady stream is still shown.
    if (!m_gather.isActive())
        m_gather.start();
}

} // namespace db
