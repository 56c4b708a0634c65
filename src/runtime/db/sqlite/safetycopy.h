#pragma once

#include <QDate>
#include <QString>

class Connection;

// Daily safety copies of a book as the four table files of a folder, in
// cadangan/yyyy-MM-dd/, each file checked with the engine's integrity check
// before the day's folder takes its name, so a dated folder always holds a
// whole, good copy. In folder mode the files are copied with the engine's
// online backup into the book's folder; on a server the tables are read in
// one snapshot into the desk's own data folder, by one desk a day.
namespace safetycopy {

// "<folder>/cadangan".
QString copiesFolder(const QString &folder);
// Where a connection's copies go: beside the files in folder mode, in the
// desk's local data folder (AppLocalDataLocation) on a server.
QString copiesFolder(const Connection &connection);

struct Outcome {
    bool made = false;    // a copy was made just now
    QString error;        // what went wrong, for the operator; empty when nothing did
};

// Makes the copy for `day` unless a good one is there already (on a server:
// unless the server records one made by any desk today, or another desk is
// making it now); after a new
// copy, removes the copies older than the last `keepDays` days but never one
// of the two newest good copies. Never throws.
Outcome makeDailyCopy(const Connection &connection, const QDate &day, int keepDays = 14);

} // namespace safetycopy
