#include "support/testserver.h"

#include "runtime/db/error.h"
#include "runtime/db/postgres/postgres.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QtGlobal>

#include <libpq-fe.h>

#include <unistd.h>

namespace testserver {

bool wanted()
{
    return qEnvironmentVariable("SP_ENGINE") == QLatin1String("server");
}

QString freshDatabase()
{
    const QString folder = qEnvironmentVariable("SP_TEST_SERVER");
    if (folder.isEmpty())
        qFatal("This test needs the test server: SP_TEST_SERVER names no socket folder (run ./setup.sh test)");
    static int count = 0;
    const QString name = QStringLiteral("sp_%1_%2").arg(QCoreApplication::applicationPid()).arg(++count);
    const auto uri = [&folder](const QString &database) {
        return QStringLiteral("postgresql:///%1?host=%2&user=postgres").arg(database, folder);
    };
    try {
        const postgres::Session admin(uri(QStringLiteral("postgres")));
        admin.run(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
        admin.run(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0").arg(name));
    } catch (const DatabaseError &error) {
        qFatal("The test server cannot make a database: %s", qPrintable(error.text()));
    }
    return uri(name);
}

void restart()
{
    const QString folder = qEnvironmentVariable("SP_TEST_SERVER");
    const QString bin = qEnvironmentVariable("SP_TEST_SERVER_BIN");
    if (folder.isEmpty() || bin.isEmpty())
        qFatal("Restarting the test server needs SP_TEST_SERVER and SP_TEST_SERVER_BIN (run ./setup.sh test)");
    QStringList command{bin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), folder + QStringLiteral("/data"),
                        QStringLiteral("-l"), folder + QStringLiteral("/server.log"), QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("restart")};
    // The server runs as the postgres user when the tests run as root.
    if (geteuid() == 0)
        command = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")} + command;
    const QString program = geteuid() == 0 ? QStringLiteral("runuser") : command.takeFirst();
    QProcess process;
    process.start(program, command);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("The test server did not restart: %s", process.readAllStandardError().constData());
}

// Listens on the book's channel, runs `write` on a session of its own, and
// waits up to a second for the first announcement.
QString announcementOf(const QString &uri, const QString &write)
{
    const postgres::Session listener(uri);
    listener.run(QStringLiteral("LISTEN simpanpinjam"));
    postgres::Session(uri).run(write);
    QElapsedTimer waiting;
    waiting.start();
    while (waiting.elapsed() < 1000) {
        PQconsumeInput(listener.handle());
        if (PGnotify *notice = PQnotifies(listener.handle())) {
            const QString payload = QString::fromUtf8(notice->extra);
            PQfreemem(notice);
            return payload;
        }
        QTest::qWait(10);
    }
    return {};
}

} // namespace testserver
