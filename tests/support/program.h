#pragma once

// The whole program for a test: every window and the data module on a fresh
// temporary alias folder (or a fresh database on the test server in the
// server-mode run), with the main window's timers stopped so that a
// test ticks them itself. Header-only: only tests linking the core use it.

#include "app/forms.h"
#include "app/menu.h"
#include "app/shell.h"
#include "data/DM.h"
#include "runtime/db/connection.h"
#include "support/testserver.h"

#include <QTemporaryDir>
#include <QTest>

class Program {
public:
    Program() : m_target(testserver::wanted() ? testserver::freshDatabase() : m_dir.path())
    {
        setAliasFolder(QString::fromLatin1(Tmodul::Alias), m_target);
        resetProgramEnded();
        createForms();
        for (QTimer *timer : {Fmenu->Timer1, Fmenu->Timer2, Fmenu->Timer3})
            timer->stop();
    }
    ~Program() { destroyForms(); }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    QString folder() const { return m_dir.path(); }
    // The alias's folder, or the server database's URI in the server-mode run.
    QString target() const { return m_target; }
    // A table file; on a server, the one database that holds every table.
    QString file(const QString &name) const { return isServerTarget(m_target) ? m_target : m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    const QString m_target;
};
