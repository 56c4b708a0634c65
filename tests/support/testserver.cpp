#include "support/testserver.h"

#include "runtime/db/error.h"
#include "runtime/db/postgres/postgres.h"

#include <QCoreApplication>
#include <QtGlobal>

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

} // namespace testserver
