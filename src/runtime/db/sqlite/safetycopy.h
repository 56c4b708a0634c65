#pragma once

#include <QDate>
#include <QString>

class Connection;

// Daily safety copies of a connection's table files: made with the engine's
// online backup into <folder>/cadangan/yyyy-MM-dd/, each copy checked with
// the engine's integrity check before the day's folder takes its name, so a
// dated folder always holds a whole, good copy.
namespace safetycopy {

// "<folder>/cadangan".
QString copiesFolder(const QString &folder);

struct Outcome {
    bool made = false;    // a copy was made just now
    QString error;        // what went wrong, for the operator; empty when nothing did
};

// Makes the copy for `day` unless a good one is there already; after a new
// copy, removes the copies older than the last `keepDays` days but never one
// of the two newest good copies. Never throws.
Outcome makeDailyCopy(const Connection &connection, const QDate &day, int keepDays = 14);

} // namespace safetycopy
