// Kills the program with SIGKILL at random moments while it records deposits
// through the data module and renumbers and deletes members through the
// member window, and after every kill checks that the book is whole: each
// file passes the engine's integrity check, no member is half renumbered or
// half deleted, no row is orphaned, and every deposit whose post returned is
// there. The program runs in a child process (this executable, "--child").
//
// SP_CRASH_KILLS sets the number of kills (30 by default; bench/crash.sh runs
// 1000), SP_CRASH_SEED the seed of the random choices, and SP_CRASH_TRACE
// prints every line the program reported.

#include "app/forms.h"
#include "app/menu.h"
#include "data/DM.h"
#include "data/rules.h"
#include "members/Uanggota.h"
#include "members/Ucari.h"
#include "runtime/db/connection.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/forms/application.h"
#include "runtime/forms/form.h"
#include "runtime/forms/messages.h"
#include "runtime/regional.h"
#include "support/testserver.h"
#include "support/userhome.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

namespace {

const QString Alias = QString::fromLatin1(Tmodul::Alias);

// The program's side --------------------------------------------------------

// One line to the test, written at once so that a kill loses none of it.
QString text(Dataset *dataset, const char *field)
{
    return dataset->fieldByName(QLatin1String(field))->asString();
}

bool numberTaken(const QString &number)
{
    const auto select = modul->connection()->engine().prepare(
        QStringLiteral("SELECT count(*) FROM Tanggota1 WHERE No_Anggota = ?"));
    select->bind(1, number);
    return select->step() && select->columnInt(0) > 0;
}

void activate(QWidget *window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        say(QStringLiteral("M a window did not become active"));
}

void deposit(QRandomGenerator &random, const QString &name)
{
    Table *savings = modul->Tsimpan1;
    const Money amount = Money::fromRaw(qint64(random.bounded(1, 1000000)) * 100);
    say(QStringLiteral("d %1").arg(name));
    savings->append();
    savings->fieldByName(QStringLiteral("Tgl_Simpan"))->setText(regional::todayShortDate());
    savings->fieldByName(QStringLiteral("S_Wajib"))->setMoney(amount);
    savings->fieldByName(QStringLiteral("S_Sukarela"))->setMoney(Money());
    savings->fieldByName(QStringLiteral("S_Wisuda"))->setMoney(Money());
    savings->post();
    say(QStringLiteral("D %1 %2 %3").arg(text(savings, "No_Simpan"), name).arg(amount.raw()));
}

// As a clerk: EDIT, the member's number into the search dialog, a new NBK,
// Save.
void renumber(QRandomGenerator &random, const QString &name)
{
    const QString number = text(modul->Tanggota1, "No_Anggota");
    const QString prefix = rules::memberNumberPrefix(rules::upperAscii(text(modul->Tanggota1, "NPM")));
    QString nbk;
    do
        nbk = QStringLiteral("%1").arg(random.bounded(1000), 3, 10, QLatin1Char('0'));
    while (numberTaken(prefix + nbk));
    QTimer::singleShot(0, Fcari, [number] {
        if (!QTest::qWaitForWindowActive(Fcari))
            say(QStringLiteral("M the search dialog did not become active"));
        QTest::keyClicks(Fcari->EnoA, number);
        Fcari->BitBtn1->click();
    });
    Fanggota->BBedit->click();
    activate(Fanggota);
    if (modul->Tanggota1->state() != DataState::Edit) {
        say(QStringLiteral("M editing %1 did not start").arg(number));
        return;
    }
    say(QStringLiteral("r %1 %2").arg(name, prefix + nbk));
    Fanggota->DBEnbk->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Fanggota->DBEnbk, Qt::Key_Home);
    QTest::keyClick(Fanggota->DBEnbk, Qt::Key_End, Qt::ShiftModifier);
    QTest::keyClicks(Fanggota->DBEnbk, nbk);
    Fanggota->SimpanEdit->click();
    say(QStringLiteral("R %1 %2").arg(name, text(modul->Tanggota1, "No_Anggota")));
}

void removeMember(const QString &name)
{
    say(QStringLiteral("x %1").arg(name));
    Fanggota->BBhapus->click(); // the question is answered Yes
    say(QStringLiteral("X %1").arg(name));
}

int runChild(int argc, char **argv)
{
    Application app(argc, argv);
    setAliasFolder(Alias, QString::fromLocal8Bit(argv[2]));
    QRandomGenerator random(quint32(QByteArray(argv[3]).toUInt()));
    messages::setScript([](const messages::Box &box) {
        if (box.kind == messages::Kind::InformationYesNo)
            return int(mrYes);
        say(QStringLiteral("M ") + QString(box.text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return int(mrOk);
    });
    if (!startUp())
        return 3;
    for (QTimer *timer : {Fmenu->Timer1, Fmenu->Timer2, Fmenu->Timer3})
        timer->stop();
    Fanggota->showModeless();
    activate(Fanggota);
    say(QStringLiteral("ready"));
    QElapsedTimer running;
    running.start();
    while (running.elapsed() < 60000) { // a test that lost the child ends it
        Table *members = modul->Tanggota1;
        const int count = members->recordCount();
        if (count == 0) { // all deleted: wait for the kill
            QTest::qWait(10);
            continue;
        }
        members->moveTo(int(random.bounded(count)));
        const QString name = text(members, "Nama");
        const quint32 choice = random.bounded(100);
        try {
            if (choice < 65)
                deposit(random, name);
            else if (choice < 90)
                renumber(random, name);
            else
                removeMember(name);
        } catch (const std::exception &e) {
            say(QStringLiteral("M ") + QString::fromUtf8(e.what()));
        }
    }
    return 4;
}

// The test's side ------------------------------------------------------------

struct Member {
    QString number;
    QMap<qint64, qint64> deposits;   // No_Simpan -> S_Wajib as stored
};

// The book as the reports of the program say it must be.
struct Model {
    QMap<QString, Member> members;   // by name, which nothing changes
    QSet<qint64> deletedDeposits;
    // The one command under way when the program was killed, if any.
    QChar pending;
    QString pendingName;
    QString pendingNumber;
    int deposits = 0, renumbers = 0, deletions = 0;
};

struct Book {
    QStringList problems;
    struct Row {
        QString name, number, npm, nbk;
    };
    QMap<QString, Row> members;                      // by name
    QMap<qint64, QPair<QString, qint64>> deposits;   // No_Simpan -> number, S_Wajib
    QMap<QString, int> loans, parents;               // rows per number
};

QList<QVariantList> rows(db::Engine &engine, const QString &sql, const QVariantList &values = {})
{
    QList<QVariantList> result;
    const auto statement = engine.prepare(sql);
    statement->bindAll(values);
    while (statement->step()) {
        QVariantList row;
        for (int c = 0; c < statement->columnCount(); ++c)
            row << statement->column(c);
        result << row;
    }
    return result;
}

// The book as the table layer opens it, on either engine.
std::unique_ptr<Connection> openConnection()
{
    return std::make_unique<Connection>(Alias, Tmodul::schemas());
}

sqlite::DbHandle openBook(const QString &folder)
{
    sqlite3 *raw = nullptr;
    sqlite3_open_v2(QDir(folder).filePath(QStringLiteral("Tanggota1.DB")).toUtf8().constData(), &raw,
                    SQLITE_OPEN_READWRITE, nullptr);
    sqlite::DbHandle db(raw);
    const QList<TableSchema> schemas = Tmodul::schemas();
    for (qsizetype i = 1; i < schemas.size(); ++i) {
        sqlite::Statement attach(raw, QStringLiteral("ATTACH DATABASE ? AS %1").arg(schemas.at(i).tableName));
        attach.bind(1, QDir(folder).filePath(schemas.at(i).fileName));
        attach.exec();
    }
    return db;
}

// The engine's own check of each file of a folder.
QStringList damagedFiles(const QString &folder)
{
    QStringList problems;
    const sqlite::DbHandle db = openBook(folder);
    for (const char *schema : {"main", "Torangtua", "Tsimpanan1", "Tpinjaman1"}) {
        sqlite::Statement check(db.get(), QStringLiteral("PRAGMA %1.integrity_check").arg(QLatin1String(schema)));
        if (!check.step() || check.column(0).toString() != QLatin1String("ok"))
            problems << QStringLiteral("integrity check of %1 fails").arg(QLatin1String(schema));
    }
    return problems;
}

Book readBook(const QString &target)
{
    Book book;
    if (!isServerTarget(target))
        book.problems = damagedFiles(target);
    const std::unique_ptr<Connection> connection = openConnection();
    db::Engine &db = connection->engine();
    for (const QVariantList &r : rows(db, QStringLiteral("SELECT Nama, No_Anggota, NPM, NBK FROM Tanggota1")))
        book.members.insert(r[0].toString(), {r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString()});
    for (const QVariantList &r : rows(db, QStringLiteral("SELECT No_Simpan, No_Anggota, S_Wajib FROM Tsimpanan1")))
        book.deposits.insert(r[0].toLongLong(), {r[1].toString(), r[2].toLongLong()});
    for (const QVariantList &r : rows(db, QStringLiteral("SELECT No_Anggota FROM Tpinjaman1")))
        ++book.loans[r[0].toString()];
    for (const QVariantList &r : rows(db, QStringLiteral("SELECT No_Anggota FROM Torangtua")))
        ++book.parents[r[0].toString()];
    return book;
}

void follow(Model &model, const QString &line)
{
    if (line.isEmpty())
        return;
    const QStringList words = line.split(QLatin1Char(' '));
    const QChar op = line.at(0);
    if (op == QLatin1Char('d') || op == QLatin1Char('r') || op == QLatin1Char('x')) {
        model.pending = op;
        model.pendingName = words.value(1);
        model.pendingNumber = words.value(2);
        return;
    }
    model.pending = QChar();
    if (op == QLatin1Char('D')) {
        model.members[words.value(2)].deposits.insert(words.value(1).toLongLong(), words.value(3).toLongLong());
        ++model.deposits;
    } else if (op == QLatin1Char('R')) {
        model.members[words.value(1)].number = words.value(2);
        ++model.renumbers;
    } else if (op == QLatin1Char('X')) {
        for (const qint64 no : model.members.value(words.value(1)).deposits.keys())
            model.deletedDeposits.insert(no);
        model.members.remove(words.value(1));
        ++model.deletions;
    }
}

// What is wrong with the book after a kill; settles the command that was
// under way by what the book shows (it either happened whole or not at all).
QStringList check(Model &model, const QString &target)
{
    const Book book = readBook(target);
    QStringList problems = book.problems;
    QSet<QString> numbers;
    for (const Book::Row &m : book.members) {
        numbers.insert(m.number);
        if (m.number != rules::memberNumberPrefix(rules::upperAscii(m.npm)) + m.nbk)
            problems << QStringLiteral("%1 is half renumbered: number %2 with NBK %3").arg(m.name, m.number, m.nbk);
        if (!model.members.contains(m.name))
            problems << QStringLiteral("%1 is in the book but was deleted").arg(m.name);
    }
    for (auto it = book.deposits.begin(); it != book.deposits.end(); ++it) {
        if (!numbers.contains(it.value().first))
            problems << QStringLiteral("deposit %1 of %2 is orphaned").arg(it.key()).arg(it.value().first);
        if (model.deletedDeposits.contains(it.key()))
            problems << QStringLiteral("deposit %1 of a deleted member is still there").arg(it.key());
    }
    for (const auto *rowsOf : {&book.loans, &book.parents}) {
        for (auto it = rowsOf->begin(); it != rowsOf->end(); ++it) {
            if (!numbers.contains(it.key()))
                problems << QStringLiteral("%1 rows of %2 are orphaned").arg(it.value()).arg(it.key());
        }
    }

    const bool pendingDeposit = model.pending == QLatin1Char('d');
    const bool pendingRenumber = model.pending == QLatin1Char('r');
    const bool pendingDelete = model.pending == QLatin1Char('x');
    for (auto it = model.members.begin(); it != model.members.end();) {
        const QString &name = it.key();
        Member &member = it.value();
        const bool mine = model.pendingName == name;
        if (!book.members.contains(name)) {
            if (pendingDelete && mine) {
                for (const qint64 no : member.deposits.keys())
                    model.deletedDeposits.insert(no);
                ++model.deletions;
                it = model.members.erase(it);
                continue;
            }
            problems << QStringLiteral("%1 (%2) is lost").arg(name, member.number);
            ++it;
            continue;
        }
        const QString number = book.members.value(name).number;
        if (pendingRenumber && mine && number == model.pendingNumber && number != member.number) {
            member.number = number;
            ++model.renumbers;
        }
        if (number != member.number)
            problems << QStringLiteral("%1 has the number %2, not %3").arg(name, number, member.number);
        int held = 0;
        for (auto d = book.deposits.begin(); d != book.deposits.end(); ++d) {
            if (d.value().first != number)
                continue;
            ++held;
            if (!member.deposits.contains(d.key()) && pendingDeposit && mine) {
                member.deposits.insert(d.key(), d.value().second);
                ++model.deposits;
            }
        }
        for (auto d = member.deposits.begin(); d != member.deposits.end(); ++d) {
            const auto stored = book.deposits.value(d.key(), {QString(), -1});
            if (stored.first != number || stored.second != d.value())
                problems << QStringLiteral("deposit %1 of %2 is lost or changed").arg(d.key()).arg(name);
        }
        if (held != member.deposits.size())
            problems << QStringLiteral("%1 holds %2 deposits, not %3").arg(name).arg(held).arg(member.deposits.size());
        if (book.loans.value(number) != 1 || book.parents.value(number) != 1)
            problems << QStringLiteral("%1 is half deleted: %2 loans, %3 parent rows")
                            .arg(name).arg(book.loans.value(number)).arg(book.parents.value(number));
        ++it;
    }
    model.pending = QChar();
    return problems;
}

// Members put into the book by SQL while no program runs, each with a
// parents row, a loan and two deposits.
void addMembers(Model &model, int count, QRandomGenerator &random, int &serial)
{
    const std::unique_ptr<Connection> connection = openConnection();
    db::Engine &db = connection->engine();
    db::Transaction transaction(*connection);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Anggota%1").arg(++serial);
        QString npm, number;
        do {
            npm = QStringLiteral("B00%1345").arg(random.bounded(10, 100));
            number = rules::memberNumberPrefix(npm)
                + QStringLiteral("%1").arg(random.bounded(1000), 3, 10, QLatin1Char('0'));
        } while (!rows(db, QStringLiteral("SELECT 1 FROM Tanggota1 WHERE No_Anggota = ?"), {number}).isEmpty());
        const auto exec = [&](const QString &sql) { db.prepare(sql)->exec(); };
        exec(QStringLiteral("INSERT INTO Tanggota1 VALUES ('%1', '2025-01-02', '%2', '%3', '%4', 'Bandung', "
                            "'2001-02-03', 'P', 'O', 'Islam ', 'Jl. Dago 1', '40135', '022-250')")
                 .arg(number, name, npm, number.right(3)));
        exec(QStringLiteral("INSERT INTO Torangtua VALUES ('%1', 'Ortu', 'Jl. Asia 2', '40111', '022-1')").arg(number));
        exec(QStringLiteral("INSERT INTO Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) "
                            "VALUES ('02/01/2025', '%1', 10000000, 'Motor')").arg(number));
        Member member{number, {}};
        for (int d = 1; d <= 2; ++d) {
            const qint64 row = db.insert(QStringLiteral("INSERT INTO Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, "
                                                        "S_Sukarela, S_Wisuda) VALUES ('02/01/2025', ?, ?, 0, 0)"),
                                         {number, d * 10000});
            const auto no = rows(db, QStringLiteral("SELECT No_Simpan FROM Tsimpanan1 WHERE %1 = ?").arg(db.rowId()), {row});
            member.deposits.insert(no.value(0).value(0).toLongLong(), d * 10000);
        }
        model.members.insert(name, member);
    }
    transaction.commit();
}

int envNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

} // namespace

class CrashTest : public QObject {
    Q_OBJECT

private slots:
    void killsLeaveTheBookWhole();
};

void CrashTest::killsLeaveTheBookWhole()
{
    const int kills = envNumber("SP_CRASH_KILLS", 30);
    const quint32 seed = quint32(envNumber("SP_CRASH_SEED", int(QRandomGenerator::global()->bounded(1 << 30))));
    qInfo("seed %u, %d kills", seed, kills);
    QRandomGenerator random(seed);
    QTemporaryDir dir;
    const QString target = testserver::wanted() ? testserver::freshDatabase() : dir.filePath(QStringLiteral("buku"));
    setAliasFolder(Alias, target);
    Model model;
    int serial = 0;
    addMembers(model, 60, random, serial);

    QStringList violations;
    QSet<QString> seen;
    int killsWithViolations = 0;
    QMap<QString, int> messages;
    for (int kill = 1; kill <= kills; ++kill) {
        QProcess child;
        // The program's user folders (its desk lock on a server) are its own.
        child.setProcessEnvironment(childEnvironment(dir.filePath(QStringLiteral("config")), dir.filePath(QStringLiteral("data"))));
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), target, QString::number(random.generate())});
        QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
        // Mostly while it works; now and then during its start.
        if (random.bounded(6) == 0) {
            QTest::qWait(int(random.bounded(400)));
        } else {
            QElapsedTimer waiting;
            waiting.start();
            while (!child.canReadLine() && waiting.elapsed() < 30000 && child.state() == QProcess::Running)
                child.waitForReadyRead(100);
            QTest::qWait(int(random.bounded(30, 900)));
        }
        if (child.state() != QProcess::Running) {
            QFAIL(qPrintable(QStringLiteral("the program ended by itself (exit %1) after kill %2: %3 %4")
                                 .arg(child.exitCode()).arg(kill - 1)
                                 .arg(QString::fromUtf8(child.readAllStandardOutput()).right(2000),
                                      QString::fromUtf8(child.readAllStandardError()))));
        }
        child.kill();
        QVERIFY(child.waitForFinished());
        for (const QString &line : QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'))) {
            if (qEnvironmentVariableIsSet("SP_CRASH_TRACE"))
                qInfo("%s", qPrintable(line));
            if (line.startsWith(QLatin1String("M ")))
                ++messages[line.mid(2)];
            else
                follow(model, line);
        }
        // Damage stays until something repairs it: each is told once, at the
        // kill that made it.
        QStringList fresh;
        for (const QString &problem : check(model, target)) {
            if (!seen.contains(problem))
                fresh << problem;
            seen.insert(problem);
        }
        if (!fresh.isEmpty()) {
            ++killsWithViolations;
            violations << QStringLiteral("kill %1: %2").arg(kill).arg(fresh.join(QStringLiteral("; ")));
            qInfo("%s", qPrintable(violations.last()));
        }
        if (kill % 100 == 0)
            qInfo("%d kills, %d with violations", kill, killsWithViolations);
        if (model.members.size() < 40)
            addMembers(model, 60 - int(model.members.size()), random, serial);
    }
    qInfo("%d kills: %d deposits, %d renumberings, %d deletions recorded; %d kills found violations",
          kills, model.deposits, model.renumbers, model.deletions, killsWithViolations);
    for (auto it = messages.begin(); it != messages.end(); ++it)
        qInfo("message shown %d times: %s", it.value(), qPrintable(it.key()));
    QVERIFY2(violations.isEmpty(), qPrintable(violations.join(QLatin1Char('\n'))));
    QVERIFY2(messages.isEmpty(), "the program showed messages");
    QVERIFY2(model.deposits > 0 && model.renumbers > 0 && model.deletions > 0, "some command never ran");
}

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    Application app(argc, argv);
    CrashTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
