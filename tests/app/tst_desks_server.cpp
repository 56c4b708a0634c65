// Two desks on one book on the server: two whole programs (this executable
// started twice with "--child", each under its own user folders) driven
// line by line through their standard input, and the book checked through
// the table layer afterwards. Deposits from both at once, one member edited
// at both, a renumbering while the other desk deposits for the member, and
// the other desk's grid following a new deposit without a click.

#include "app/forms.h"
#include "app/menu.h"
#include "data/DM.h"
#include "runtime/db/connection.h"
#include "runtime/forms/application.h"
#include "runtime/forms/messages.h"
#include "runtime/regional.h"
#include "savings/simpanan.h"
#include "support/testserver.h"
#include "support/userhome.h"
#include "members/Ucari.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

const QString Alias = QString::fromLatin1(Tmodul::Alias);
const QString Dewi = QStringLiteral("1201001");   // NPM B1200101, NBK 001
const QString Eko = QStringLiteral("1202002");

// The program's side --------------------------------------------------------

Field *memberField(const char *name)
{
    return modul->Tanggota1->fieldByName(QLatin1String(name));
}

bool goToMember(const QString &number)
{
    if (modul->Tanggota1->findKey({number}))
        return true;
    say(QStringLiteral("M no member %1").arg(number));
    return false;
}

// One deposit through the data module, for the member shown.
void depositOnce(qint64 rupiah)
{
    Table *savings = modul->Tsimpan1;
    try {
        savings->append();
        savings->fieldByName(QStringLiteral("Tgl_Simpan"))->setText(regional::todayShortDate());
        savings->fieldByName(QStringLiteral("S_Wajib"))->setMoney(Money::fromRaw(rupiah * 10000));
        savings->fieldByName(QStringLiteral("S_Sukarela"))->setMoney(Money());
        savings->fieldByName(QStringLiteral("S_Wisuda"))->setMoney(Money());
        savings->post();
        say(QStringLiteral("D %1 %2").arg(savings->fieldByName(QStringLiteral("No_Simpan"))->asString(),
                                          savings->fieldByName(QStringLiteral("No_Anggota"))->asString()));
    } catch (const DatabaseError &error) {
        savings->cancel();
        say(QStringLiteral("M ") + error.text());
    }
}

void activate(QWidget *window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        say(QStringLiteral("M a window did not become active"));
}

void savingsCell(int column, const QString &text)
{
    DBGrid *grid = Fsimpan->DBGrid1;
    grid->model()->setData(grid->model()->index(grid->currentIndex().row(), column), text, Qt::EditRole);
}

void reportRows()
{
    say(QStringLiteral("rows %1").arg(Fsimpan->DBGrid1->model()->rowCount()));
}

void reportMembers()
{
    say(QStringLiteral("members %1").arg(Fsimpan->DBGrid3->model()->rowCount()));
}

void run(const QStringList &words)
{
    const QString command = words.value(0);
    if (command == QLatin1String("deposits")) {
        // deposits MEMBER COUNT: one after the other, as fast as the desk goes.
        if (!goToMember(words.value(1)))
            return;
        const int count = words.value(2).toInt();
        QElapsedTimer timer;
        timer.start();
        for (int i = 1; i <= count; ++i) {
            depositOnce(1000 + i);
            QCoreApplication::processEvents();
        }
        say(QStringLiteral("done %1").arg(timer.elapsed()));
    } else if (command == QLatin1String("join")) {
        // join NUMBER NPM NAME: a new member stored through the data module.
        Table *members = modul->Tanggota1;
        members->append();
        memberField("No_Anggota")->setText(words.value(1));
        memberField("NPM")->setText(words.value(2));
        memberField("NBK")->setText(words.value(1).right(3));
        memberField("Nama")->setText(words.value(3));
        members->post();
        say(QStringLiteral("joined"));
    } else if (command == QLatin1String("edit")) {
        // edit MEMBER NAME: the member's name typed, not yet saved.
        if (!goToMember(words.value(1)))
            return;
        modul->Tanggota1->edit();
        memberField("Nama")->setText(words.value(2));
        say(QStringLiteral("editing"));
    } else if (command == QLatin1String("save")) {
        try {
            modul->Tanggota1->post();
            say(QStringLiteral("saved"));
        } catch (const DatabaseError &error) {
            say(QStringLiteral("M ") + error.text());
        }
        say(QStringLiteral("shows %1 %2").arg(memberField("No_Anggota")->asString(), memberField("Nama")->asString()));
    } else if (command == QLatin1String("renumber")) {
        // renumber MEMBER NBK: the number composed anew from the NPM and NBK.
        if (!goToMember(words.value(1)))
            return;
        const QString number = words.value(1).left(4) + words.value(2);
        modul->Tanggota1->edit();
        memberField("NBK")->setText(words.value(2));
        try {
            if (modul->storeMemberAs(number))
                say(QStringLiteral("R %1 %2").arg(words.value(1), memberField("No_Anggota")->asString()));
            else
                say(QStringLiteral("M number taken"));
        } catch (const DatabaseError &error) {
            modul->Tanggota1->cancel();
            say(QStringLiteral("M ") + error.text());
        }
    } else if (command == QLatin1String("delete")) {
        // delete MEMBER: the member with its rows, through the data module.
        if (!goToMember(words.value(1)))
            return;
        try {
            modul->deleteCurrentMember(modul->currentMemberHoldings());
            say(QStringLiteral("X %1").arg(words.value(1)));
        } catch (const DatabaseError &error) {
            say(QStringLiteral("M ") + error.text());
        }
    } else if (command == QLatin1String("open")) {
        // open MEMBER: the savings window on the member through "TRANSAKSI";
        // from then on every change of its grid is told.
        Fsimpan->showModeless();
        activate(Fsimpan);
        QTimer::singleShot(0, Fcari, [number = words.value(1)] {
            activate(Fcari);
            QTest::keyClicks(Fcari->EnoA, number);
            Fcari->BitBtn1->click();
        });
        Fsimpan->BitBtn2->click();
        activate(Fsimpan);
        QObject::connect(Fsimpan->DBGrid1->model(), &QAbstractItemModel::modelReset, Fsimpan, reportRows);
        QObject::connect(Fsimpan->DBGrid1->model(), &QAbstractItemModel::rowsInserted, Fsimpan, reportRows);
        QObject::connect(Fsimpan->DBGrid3->model(), &QAbstractItemModel::modelReset, Fsimpan, reportMembers);
        QObject::connect(Fsimpan->DBGrid3->model(), &QAbstractItemModel::rowsInserted, Fsimpan, reportMembers);
        reportMembers();
        reportRows();
    } else if (command == QLatin1String("type")) {
        // type RUPIAH: a new deposit on the navigator, the three amounts typed.
        Fsimpan->DBNavigator1->button(DBNavigator::Insert)->click();
        savingsCell(3, words.value(1));
        savingsCell(4, QStringLiteral("0"));
        savingsCell(5, QStringLiteral("0"));
        say(QStringLiteral("typing"));
    } else if (command == QLatin1String("state")) {
        const Dataset *savings = modul->Tsimpan1;
        say(QStringLiteral("state %1 %2 %3")
                .arg(savings->isEditing() ? QStringLiteral("typing") : QStringLiteral("browsing"))
                .arg(Money(savings->fieldByName(QStringLiteral("S_Wajib"))->asMoney()).raw() / 10000)
                .arg(Fsimpan->DBGrid1->model()->rowCount()));
    } else if (command == QLatin1String("post")) {
        Fsimpan->DBNavigator1->button(DBNavigator::Post)->click();
        say(QStringLiteral("posted %1").arg(modul->Tsimpan1->fieldByName(QStringLiteral("No_Simpan"))->asString()));
    } else if (command == QLatin1String("quit")) {
        QCoreApplication::quit();
    }
}

int runChild(int argc, char **argv)
{
    Application app(argc, argv);
    setAliasFolder(Alias, QString::fromLocal8Bit(argv[2]));
    messages::setScript([](const messages::Box &box) {
        say(QStringLiteral("M ") + QString(box.text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return box.kind == messages::Kind::InformationYesNo ? int(mrYes) : int(mrOk);
    });
    if (!startUp())
        return 3;
    for (QTimer *timer : {Fmenu->Timer1, Fmenu->Timer2, Fmenu->Timer3})
        timer->stop();
    // Commands are run one at a time from the event loop, never inside
    // another one's wait.
    QStringList queue;
    bool busy = false;
    QByteArray input;
    QSocketNotifier reader(STDIN_FILENO, QSocketNotifier::Read);
    std::function<void()> next = [&] {
        if (busy || queue.isEmpty())
            return;
        busy = true;
        run(queue.takeFirst().split(QLatin1Char(' ')));
        busy = false;
        QTimer::singleShot(0, &app, next);
    };
    QObject::connect(&reader, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            reader.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        input.append(buffer, got);
        while (input.contains('\n')) {
            const int end = int(input.indexOf('\n'));
            queue << QString::fromUtf8(input.left(end));
            input.remove(0, end + 1);
        }
        QTimer::singleShot(0, &app, next);
    });
    say(QStringLiteral("ready"));
    const int result = app.exec();
    shutDown();
    return result;
}

// The test's side ------------------------------------------------------------

// One desk: the program in a child process under its own user folders.
class Desk {
public:
    explicit Desk(const QString &uri)
    {
        QProcessEnvironment environment = childEnvironment(m_home.filePath(QStringLiteral("config")), m_home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("HOME"), m_home.path());
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), uri});
    }
    ~Desk()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        send(QStringLiteral("quit"));
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished();
    }
    Desk(const Desk &) = delete;
    Desk &operator=(const Desk &) = delete;

    void send(const QString &command) { m_process.write((command + QLatin1Char('\n')).toUtf8()); }

    // Reads what the desk said so far; returns the lines.
    QStringList take()
    {
        while (m_process.canReadLine())
            m_lines << QString::fromUtf8(m_process.readLine()).trimmed();
        return m_lines;
    }
    // Waits for a line starting with `prefix`; the lines before it stay read.
    QString waitFor(const QString &prefix, int ms = 60000)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            take();
            for (int i = m_seen; i < m_lines.size(); ++i) {
                if (m_lines.at(i).startsWith(prefix)) {
                    m_seen = i + 1;
                    return m_lines.at(i);
                }
            }
            if (timer.elapsed() > ms || m_process.state() == QProcess::NotRunning)
                return {};
            m_process.waitForReadyRead(50);
        }
    }
    QStringList lines() { return take(); }
    // The latest line starting with `prefix`.
    QString latest(const QString &prefix)
    {
        take();
        for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
            if (m_lines.at(i).startsWith(prefix))
                return m_lines.at(i);
        }
        return {};
    }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QStringList m_lines;
    int m_seen = 0;
};

QString memberSql(const QString &number, const QString &name, const QString &npm)
{
    return QStringLiteral("INSERT INTO Tanggota1 (No_Anggota, Tgl_Daftar, Nama, NPM, NBK, JK, Alamat, Kodepos) "
                          "VALUES ('%1', '2003-02-01', '%2', '%3', '%4', 'W', 'Jl. Dago 12', '40135')")
        .arg(number, name, npm, number.right(3));
}

QList<QVariantList> rowsOf(const Connection &book, const QString &sql)
{
    QList<QVariantList> rows;
    const auto select = book.engine().prepare(sql);
    while (select->step()) {
        QVariantList row;
        for (int c = 0; c < select->columnCount(); ++c)
            row << select->column(c);
        rows << row;
    }
    return rows;
}

// The numbers of the posts a desk told as stored ("D no member").
QList<qint64> stored(const QStringList &lines)
{
    QList<qint64> numbers;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("D ")))
            numbers << line.section(QLatin1Char(' '), 1, 1).toLongLong();
    }
    return numbers;
}

} // namespace

class DesksTest : public QObject {
    Q_OBJECT

    QString uri;
    std::unique_ptr<Connection> book;

    void startDesks(std::unique_ptr<Desk> &a, std::unique_ptr<Desk> &b)
    {
        a = std::make_unique<Desk>(uri);
        b = std::make_unique<Desk>(uri);
        QVERIFY2(!a->waitFor(QStringLiteral("ready")).isEmpty(), qPrintable(a->lines().join('\n')));
        QVERIFY2(!b->waitFor(QStringLiteral("ready")).isEmpty(), qPrintable(b->lines().join('\n')));
    }

private slots:
    void init()
    {
        uri = testserver::freshDatabase();
        setAliasFolder(Alias, uri);
        book = std::make_unique<Connection>(Alias, Tmodul::schemas());
        book->execute(memberSql(Dewi, QStringLiteral("Dewi Sartika"), QStringLiteral("B1200101")));
        book->execute(memberSql(Eko, QStringLiteral("Eko Prasetyo"), QStringLiteral("D0200202")));
    }
    void cleanup() { book.reset(); }

    void depositsFromTwoDesksAtOnce();
    void sameMemberEditedAtBothDesks();
    void renumberingWhileTheOtherDeposits();
    void deletionWhileTheOtherDeposits();
    void otherDeskSeesANewDepositWithoutAClick();
    void serverRestartWhileADepositIsTyped();
};

void DesksTest::depositsFromTwoDesksAtOnce()
{
    constexpr int Each = 500;
    std::unique_ptr<Desk> a, b;
    startDesks(a, b);

    // One desk alone first, for the figure to compare with.
    a->send(QStringLiteral("deposits %1 %2").arg(Eko).arg(Each));
    const QString alone = a->waitFor(QStringLiteral("done"), 300000);
    QVERIFY2(!alone.isEmpty(), qPrintable(a->lines().join('\n')));

    QElapsedTimer both;
    both.start();
    a->send(QStringLiteral("deposits %1 %2").arg(Dewi).arg(Each));
    b->send(QStringLiteral("deposits %1 %2").arg(Dewi).arg(Each));
    const QString doneA = a->waitFor(QStringLiteral("done"), 300000);
    const QString doneB = b->waitFor(QStringLiteral("done"), 300000);
    const double seconds = both.elapsed() / 1000.0;
    QVERIFY2(!doneA.isEmpty() && !doneB.isEmpty(), qPrintable(a->lines().join('\n') + b->lines().join('\n')));

    const double aloneSeconds = alone.section(QLatin1Char(' '), 1).toDouble() / 1000.0;
    qInfo("one desk alone: %d deposits in %.2f s, %.0f deposits/s", Each, aloneSeconds, Each / aloneSeconds);
    qInfo("two desks at once: %d deposits in %.2f s, %.0f deposits/s", 2 * Each, seconds, 2 * Each / seconds);

    QList<qint64> told = stored(a->lines()).mid(Each) + stored(b->lines());
    QCOMPARE(told.size(), 2 * Each);
    const QSet<qint64> distinct(told.begin(), told.end());
    QCOMPARE(distinct.size(), 2 * Each);
    QSet<qint64> inBook;
    for (const QVariantList &row : rowsOf(*book, QStringLiteral("SELECT No_Simpan FROM Tsimpanan1 WHERE No_Anggota = '%1'").arg(Dewi)))
        inBook.insert(row.value(0).toLongLong());
    QCOMPARE(inBook, distinct);
    QVERIFY(a->latest(QStringLiteral("M ")).isEmpty());
    QVERIFY(b->latest(QStringLiteral("M ")).isEmpty());
}

void DesksTest::sameMemberEditedAtBothDesks()
{
    std::unique_ptr<Desk> a, b;
    startDesks(a, b);
    a->send(QStringLiteral("edit %1 Dewi_Anggraini").arg(Dewi));
    QVERIFY(!a->waitFor(QStringLiteral("editing")).isEmpty());
    b->send(QStringLiteral("edit %1 Dewi_Lestari").arg(Dewi));
    QVERIFY(!b->waitFor(QStringLiteral("editing")).isEmpty());

    a->send(QStringLiteral("save"));
    QVERIFY(!a->waitFor(QStringLiteral("saved")).isEmpty());
    b->send(QStringLiteral("save"));
    QCOMPARE(b->waitFor(QStringLiteral("M ")), QStringLiteral("M Data telah diubah oleh meja lain. Data dibaca ulang."));
    // The second desk shows the row as the first stored it.
    QCOMPARE(b->waitFor(QStringLiteral("shows")), QStringLiteral("shows %1 Dewi_Anggraini").arg(Dewi));
    QCOMPARE(rowsOf(*book, QStringLiteral("SELECT Nama FROM Tanggota1 WHERE No_Anggota = '%1'").arg(Dewi)),
             (QList<QVariantList>{{QStringLiteral("Dewi_Anggraini")}}));
}

void DesksTest::renumberingWhileTheOtherDeposits()
{
    std::unique_ptr<Desk> a, b;
    startDesks(a, b);
    a->send(QStringLiteral("deposits %1 400").arg(Dewi));
    // Renumbered back and forth while the deposits come in.
    QString number = Dewi;
    for (const QString &nbk : {QStringLiteral("101"), QStringLiteral("102"), QStringLiteral("103"), QStringLiteral("104")}) {
        QTest::qWait(150);
        b->send(QStringLiteral("renumber %1 %2").arg(number, nbk));
        const QString renumbered = b->waitFor(QStringLiteral("R "));
        QVERIFY2(!renumbered.isEmpty(), qPrintable(b->lines().join('\n')));
        number = renumbered.section(QLatin1Char(' '), 2);
    }
    QVERIFY2(!a->waitFor(QStringLiteral("done"), 300000).isEmpty(), qPrintable(a->lines().join('\n')));

    // No deposit carries a number no member has.
    QCOMPARE(rowsOf(*book, QStringLiteral("SELECT count(*) FROM Tsimpanan1 s WHERE NOT EXISTS "
                                          "(SELECT 1 FROM Tanggota1 m WHERE m.No_Anggota = s.No_Anggota)")),
             (QList<QVariantList>{{QVariant::fromValue<qint64>(0)}}));
    // Every deposit told as stored is there, under the member's latest number.
    const QList<qint64> told = stored(a->lines());
    QVERIFY(!told.isEmpty());
    QSet<qint64> inBook;
    for (const QVariantList &row : rowsOf(*book, QStringLiteral("SELECT No_Simpan FROM Tsimpanan1 WHERE No_Anggota = '%1'").arg(number)))
        inBook.insert(row.value(0).toLongLong());
    QCOMPARE(inBook, QSet<qint64>(told.begin(), told.end()));
    // Refused posts said why, in the clerk's words.
    for (const QString &line : a->lines()) {
        if (line.startsWith(QLatin1String("M ")))
            QCOMPARE(line, QStringLiteral("M Anggota telah diubah atau dihapus oleh meja lain."));
    }
    qInfo("%lld of 400 deposits stored during 4 renumberings", qint64(told.size()));
}

void DesksTest::deletionWhileTheOtherDeposits()
{
    std::unique_ptr<Desk> a, b;
    startDesks(a, b);
    a->send(QStringLiteral("deposits %1 300").arg(Dewi));
    QVERIFY(!a->waitFor(QStringLiteral("D ")).isEmpty());
    // A deletion that finds deposits its question did not name is refused
    // and read again; the clerk asks again, until the other desk pauses
    // (at the latest when its deposits are done).
    QString outcome;
    QElapsedTimer asking;
    asking.start();
    while (asking.elapsed() < 120000 && !outcome.startsWith(QLatin1String("X "))) {
        b->send(QStringLiteral("delete %1").arg(Dewi));
        outcome = b->waitFor(QString());
        while (!outcome.startsWith(QLatin1String("X ")) && !outcome.startsWith(QLatin1String("M ")))
            outcome = b->waitFor(QString());
        if (outcome.startsWith(QLatin1String("M ")))
            QCOMPARE(outcome, QStringLiteral("M Data telah diubah oleh meja lain. Data dibaca ulang."));
    }
    QCOMPARE(outcome, QStringLiteral("X %1").arg(Dewi));
    QVERIFY2(!a->waitFor(QStringLiteral("done"), 300000).isEmpty(), qPrintable(a->lines().join('\n')));

    QCOMPARE(rowsOf(*book, QStringLiteral("SELECT count(*) FROM Tanggota1 WHERE No_Anggota = '%1'").arg(Dewi)),
             (QList<QVariantList>{{QVariant::fromValue<qint64>(0)}}));
    QCOMPARE(rowsOf(*book, QStringLiteral("SELECT count(*) FROM Tsimpanan1 s WHERE NOT EXISTS "
                                          "(SELECT 1 FROM Tanggota1 m WHERE m.No_Anggota = s.No_Anggota)")),
             (QList<QVariantList>{{QVariant::fromValue<qint64>(0)}}));
    // Deposits told as stored after the deletion went to the member shown next.
    for (const QString &line : a->lines()) {
        if (line.startsWith(QLatin1String("M ")))
            QCOMPARE(line, QStringLiteral("M Anggota telah diubah atau dihapus oleh meja lain."));
    }
}

void DesksTest::otherDeskSeesANewDepositWithoutAClick()
{
    std::unique_ptr<Desk> a, b;
    book->execute(QStringLiteral("INSERT INTO Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                                 "VALUES ('02/01/2025', '%1', 10000, 0, 0)").arg(Dewi));
    startDesks(a, b);
    a->send(QStringLiteral("open %1").arg(Dewi));
    QCOMPARE(a->waitFor(QStringLiteral("rows")), QStringLiteral("rows 1"));
    QCOMPARE(a->latest(QStringLiteral("members")), QStringLiteral("members 2"));

    // A member joining at the other desk shows in the member grid.
    b->send(QStringLiteral("join 1203003 A1200303 Fajar"));
    QVERIFY(!b->waitFor(QStringLiteral("joined")).isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(a->latest(QStringLiteral("members")), QStringLiteral("members 3"), 1000);
    QCOMPARE(a->latest(QStringLiteral("rows")), QStringLiteral("rows 1"));

    b->send(QStringLiteral("deposits %1 1").arg(Dewi));
    QVERIFY(!b->waitFor(QStringLiteral("done")).isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(a->latest(QStringLiteral("rows")), QStringLiteral("rows 2"), 1000);

    // A deposit being typed at the first desk is left alone while the
    // other desk's arrives, and posts fine afterwards.
    a->send(QStringLiteral("type 7777"));
    QVERIFY(!a->waitFor(QStringLiteral("typing")).isEmpty());
    b->send(QStringLiteral("deposits %1 1").arg(Dewi));
    QVERIFY(!b->waitFor(QStringLiteral("done")).isEmpty());
    QTest::qWait(600);
    a->send(QStringLiteral("state"));
    QCOMPARE(a->waitFor(QStringLiteral("state")), QStringLiteral("state typing 7777 3"));
    a->send(QStringLiteral("post"));
    QVERIFY(!a->waitFor(QStringLiteral("posted")).isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(a->latest(QStringLiteral("rows")), QStringLiteral("rows 4"), 1000);
    QVERIFY2(a->latest(QStringLiteral("M ")).isEmpty(), qPrintable(a->lines().join('\n')));
    QCOMPARE(rowsOf(*book, QStringLiteral("SELECT count(*) FROM Tsimpanan1 WHERE No_Anggota = '%1'").arg(Dewi)),
             (QList<QVariantList>{{QVariant::fromValue<qint64>(4)}}));
    QCOMPARE(rowsOf(*book, QStringLiteral("SELECT count(*) FROM Tsimpanan1 WHERE S_Wajib = 77770000")),
             (QList<QVariantList>{{QVariant::fromValue<qint64>(1)}}));
}

void DesksTest::serverRestartWhileADepositIsTyped()
{
    std::unique_ptr<Desk> a, b;
    startDesks(a, b);
    a->send(QStringLiteral("open %1").arg(Eko));
    QCOMPARE(a->waitFor(QStringLiteral("rows")), QStringLiteral("rows 0"));
    a->send(QStringLiteral("type 4321"));
    QVERIFY(!a->waitFor(QStringLiteral("typing")).isEmpty());

    testserver::restart();
    // The test's own session went with the restart too.
    book.reset();
    book = std::make_unique<Connection>(Alias, Tmodul::schemas());

    // The typed deposit is still there and is stored by the next post.
    a->send(QStringLiteral("state"));
    QCOMPARE(a->waitFor(QStringLiteral("state")), QStringLiteral("state typing 4321 1"));
    a->send(QStringLiteral("post"));
    QVERIFY(!a->waitFor(QStringLiteral("posted")).isEmpty());
    QVERIFY2(a->latest(QStringLiteral("M ")).isEmpty(), qPrintable(a->lines().join('\n')));
    QCOMPARE(rowsOf(*book, QStringLiteral("SELECT S_Wajib FROM Tsimpanan1 WHERE No_Anggota = '%1'").arg(Eko)),
             (QList<QVariantList>{{QVariant::fromValue<qint64>(43210000)}}));

    // The other desk's news reach it again once the server is back.
    b->send(QStringLiteral("deposits %1 1").arg(Eko));
    QVERIFY(!b->waitFor(QStringLiteral("done")).isEmpty());
    QVERIFY2(b->latest(QStringLiteral("M ")).isEmpty(), qPrintable(b->lines().join('\n')));
    QTRY_COMPARE_WITH_TIMEOUT(a->latest(QStringLiteral("rows")), QStringLiteral("rows 2"), 3000);
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    Application app(argc, argv);
    // Server only: the desks share one database.
    if (!testserver::wanted())
        qputenv("SP_ENGINE", "server");
    DesksTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desks_server.moc"
