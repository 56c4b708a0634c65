#pragma once

#include <QString>

// The throwaway PostgreSQL server that the test command starts
// (./setup.sh test): its socket folder is in SP_TEST_SERVER. A test
// executable registered a second time with SP_ENGINE=server runs its
// fixtures on fresh databases there instead of temporary folders.
namespace testserver {

// Whether this run is the server-mode one.
bool wanted();

// The URI of a new, empty database on the server (made from a template), for
// one fixture. Without a server the test program ends at once with a
// message: a server test never passes by being skipped.
QString freshDatabase();

// Restarts the server (fast: every session is cut) and waits until it takes
// connections again. Tests that use it must not run beside other server tests.
void restart();

// The payload of the first announcement on the book's channel that `write`,
// run by another session, makes; empty when none comes within a second.
QString announcementOf(const QString &uri, const QString &write);

} // namespace testserver
