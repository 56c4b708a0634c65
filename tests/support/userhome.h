#pragma once

// A user's own folders for tests that start the program as a clerk does: its
// settings (and so its aliases) under a config home, its own data (the desk
// lock on a server, a server book's daily copies) under a data home; and the
// started child's line back to the test. Header-only.

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>

#include <unistd.h>

// In this process: the program named as it names itself, its own data in a
// temporary data home while this lives. The home before comes back after,
// so a second one inside a test is another user on the same book.
class UserHome {
public:
    UserHome() : m_before(qgetenv("XDG_DATA_HOME")), m_wasSet(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    {
        QCoreApplication::setApplicationName(QStringLiteral("simpanpinjam"));
        QCoreApplication::setOrganizationName(QStringLiteral("SimpanPinjam"));
        qputenv("XDG_DATA_HOME", m_dir.path().toUtf8());
    }
    ~UserHome()
    {
        if (m_wasSet)
            qputenv("XDG_DATA_HOME", m_before);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    UserHome(const UserHome &) = delete;
    UserHome &operator=(const UserHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    const QByteArray m_before;
    const bool m_wasSet;
};

// The environment of the program in a child process: headless, with its
// settings under `configHome` and its own data under `dataHome`.
inline QProcessEnvironment childEnvironment(const QString &configHome, const QString &dataHome)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    return environment;
}

// Names `target` (a folder or a server's URI) as the book in the settings
// that a child program with `configHome` reads.
inline void setChildAlias(const QString &configHome, const QString &target)
{
    QSettings settings(configHome + QStringLiteral("/SimpanPinjam/simpanpinjam.conf"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Aliases/DBsimpanpinjam"), target);
}

// In the program started as a child: one line to the test on its standard
// output, unbuffered, so that it is there even if the child is killed next.
inline void say(const QString &line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    if (::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())) != bytes.size())
        std::abort();
}
