#pragma once

// The whole program for a test: every window and the data module on a fresh
// temporary alias folder, with the main window's timers stopped so that a
// test ticks them itself. Header-only: only tests linking the core use it.

#include "app/forms.h"
#include "app/menu.h"
#include "app/shell.h"
#include "data/DM.h"
#include "runtime/db/connection.h"

#include <QTemporaryDir>
#include <QTest>

class Program {
public:
    Program()
    {
        setAliasFolder(QString::fromLatin1(Tmodul::Alias), m_dir.path());
        resetProgramEnded();
        createForms();
        for (QTimer *timer : {Fmenu->Timer1, Fmenu->Timer2, Fmenu->Timer3})
            timer->stop();
    }
    ~Program() { destroyForms(); }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    QString folder() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
