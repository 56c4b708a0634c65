#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

namespace db {

// Other programs' writes to the book, gathered for a moment so that a burst
// of them is read once: `changed` names every table written since it was
// last emitted.
class ChangeFeed : public QObject {
    Q_OBJECT
public:
    ChangeFeed();
    void note(const QStringList &tables);

signals:
    void changed(const QStringList &tables);

private:
    QTimer m_gather;
    QStringList m_tables;
};

} // namespace db
