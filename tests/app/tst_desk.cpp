// The desk as a clerk sees it on the smallest screen it is likely to have,
// 1024x768: a menu bar that reads on the black main window, message boxes
// wide enough for their titles, a cell cursor where amounts are typed, and
// every window with its frame on the screen.

#include "app/Login.h"
#include "app/Uexit.h"
#include "app/about.h"
#include "app/password.h"
#include "loans/Uinputbulanpinjam.h"
#include "loans/pinjaman.h"
#include "members/Uanggota.h"
#include "runtime/forms/application.h"
#include "runtime/forms/look.h"
#include "runtime/forms/messages.h"
#include "savings/UinputbulanSimpanan.h"
#include "savings/simpanan.h"
#include "support/clerk.h"
#include "support/messagescript.h"
#include "support/program.h"
#include "support/teller.h"

#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace {

// What the usual window managers put around a window: a title bar of up to
// 30 pixels and thin borders (openbox takes 20 above, 5 below, 1 aside).
const QMargins Frame(4, 30, 4, 6);
// What they draw beside a title: the window icon, three buttons and padding,
// about 100 pixels at the usual title-bar size (openbox cuts "Warning" to
// "W... g" in a box 145 pixels wide).
constexpr int TitleBarChrome = 100;

// Each caption of the menu bar as drawn: its background is the commonest
// pixel of its place, its text the pixel that stands out most from that.
QList<double> menuContrasts(const QImage &bar)
{
    QList<double> result;
    for (QAction *entry : Fmenu->MainMenu1->actions()) {
        const QRect place = Fmenu->MainMenu1->actionGeometry(entry);
        QHash<QRgb, int> counts;
        for (int y = place.top(); y <= place.bottom(); ++y)
            for (int x = place.left(); x <= place.right(); ++x)
                ++counts[bar.pixel(x, y)];
        const QRgb background = std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
                                    return a.second < b.second;
                                })->first;
        double best = 1.0;
        for (QRgb pixel : counts.keys())
            best = std::max(best, look::contrast(QColor(pixel), QColor(background)));
        result.append(best);
    }
    return result;
}

// Where the frame of a window lands: a window manager puts its corner at the
// window's position.
QRect frameOf(const QWidget *window)
{
    return QRect(window->pos(), window->size().grownBy(Frame));
}

// Nothing cut off: the window is no smaller than its layout needs, and every
// control placed by hand lies inside it.
QStringList cutOff(const QWidget *window)
{
    QStringList problems;
    if (const QLayout *layout = window->layout()) {
        const QSize least = layout->totalMinimumSize();
        if (window->width() < least.width() || window->height() < least.height())
            problems << QStringLiteral("%1 smaller than its layout's %2x%3")
                            .arg(window->objectName()).arg(least.width()).arg(least.height());
    }
    for (const QWidget *child : window->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow() && !child->isHidden() && !window->rect().contains(child->geometry()))
            problems << window->objectName() + QLatin1Char('.') + child->objectName();
    }
    return problems;
}

// What a click on a cell of the grid selects: that cell alone, or its row.
bool selectsCellOnly(DBGrid *grid, int row, int column)
{
    const QModelIndex cell = grid->model()->index(row, column);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    return grid->selectionModel()->selectedIndexes() == QModelIndexList{cell};
}

bool selectsWholeRow(DBGrid *grid, int row)
{
    const QModelIndex cell = grid->model()->index(row, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    return grid->selectionModel()->isRowSelected(row)
        && grid->selectionModel()->selectedIndexes().size() == grid->model()->columnCount();
}

// Three members (numbers of the teller's helpers), two deposits of Ani's,
// two loans of Budi's.
const QStringList Book{
    QStringLiteral("INSERT INTO Tanggota1 (No_Anggota, Nama, NPM) VALUES ('1201001', 'Ani', 'B1200001'), "
                   "('1202002', 'Budi', 'B1200002'), ('1203003', 'Citra', 'B1200003')"),
    QStringLiteral("INSERT INTO Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) VALUES "
                   "('02/09/2024', '1201001', 100000000, 50000000, 0), ('01/10/2024', '1201001', 100000000, 0, 0)"),
    QStringLiteral("INSERT INTO Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) VALUES "
                   "('07/10/2024', '1202002', 5000000000, 'KTM'), ('08/10/2024', '1202002', 1000000000, 'SIM')")};

} // namespace

class DeskTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
    }

    void menuBarReadsDuringAndAfterTheLogin();
    void messageBoxesShowTheirWholeTitle();
    void amountGridsShowACellMemberGridsWholeRows();
    void everyWindowFitsA1024x768Screen();
};

void DeskTest::menuBarReadsDuringAndAfterTheLogin()
{
    Program program;
    MessageScript script;
    Clerk clerk;
    QImage greyed;
    clerk.when([] { return Flogin->isVisible() && Flogin->isModalRunning(); }, [&] {
        greyed = Fmenu->MainMenu1->grab().toImage();
        QTest::mouseClick(Flogin->Button1, Qt::LeftButton);
    });
    clerk.when([] { return PasswordDlg->isModalRunning(); }, [] {
        QTest::keyClicks(PasswordDlg->epass, QStringLiteral("rembul"));
        QTest::mouseClick(PasswordDlg->OKBtn, Qt::LeftButton);
    });
    Fmenu->show();
    QTRY_VERIFY_WITH_TIMEOUT(clerk.done() && !Flogin->isModalRunning(), 25000);
    QVERIFY(!clerk.timedOut());
    QVERIFY(Fmenu->isEnabled());

    const QList<double> usable = menuContrasts(Fmenu->MainMenu1->grab().toImage());
    const QList<double> waiting = menuContrasts(greyed);
    QCOMPARE(usable.size(), 4); // "&File", "&Report", "A&bout", "E&xit"
    QCOMPARE(waiting.size(), 4);
    for (int i = 0; i < 4; ++i) {
        // Body text reads from a contrast of 4.5; greyed captions still read
        // from 3, and look greyed beside the usable ones.
        QVERIFY2(usable.at(i) >= 4.5, qPrintable(QString::number(usable.at(i))));
        QVERIFY2(waiting.at(i) >= 3.0, qPrintable(QString::number(waiting.at(i))));
        QVERIFY(waiting.at(i) < usable.at(i));
    }
}

void DeskTest::messageBoxesShowTheirWholeTitle()
{
    const QList<std::pair<std::function<void()>, QString>> boxes{
        {[] { messages::warning(QStringLiteral("NPM salah!!")); }, QStringLiteral("Warning")},
        {[] { messages::error(QStringLiteral("Gagal")); }, QStringLiteral("Error")},
        {[] { messages::showMessage(QStringLiteral("Ok")); }, QStringLiteral("Simpan Pinjam")}};
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    for (const auto &[show, title] : boxes) {
        QString seenTitle;
        int seenWidth = 0;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            answer.stop();
            seenTitle = box->windowTitle();
            seenWidth = box->width();
            box->buttons().constFirst()->click();
        });
        answer.start(10);
        show();
        QCOMPARE(seenTitle, title);
        const int needed = QFontMetrics(titleFont).horizontalAdvance(title) + TitleBarChrome;
        QVERIFY2(seenWidth >= needed, qPrintable(QStringLiteral("%1: %2 < %3").arg(title).arg(seenWidth).arg(needed)));
    }
}

void DeskTest::amountGridsShowACellMemberGridsWholeRows()
{
    Program program;
    MessageScript script;
    seed(Book);

    activate(Fsimpan);
    search(Fsimpan->BitBtn2, Ani);
    QVERIFY(Fsimpan->DBGrid1->isEnabled());
    QVERIFY(selectsCellOnly(Fsimpan->DBGrid1, 1, 4));
    QVERIFY(selectsWholeRow(Fsimpan->DBGrid3, 2));
    Fsimpan->hide();

    activate(Fpinjam);
    search(Fpinjam->BitBtnTransPinjam, Budi);
    QVERIFY(Fpinjam->DBGrid1->isEnabled());
    QVERIFY(selectsCellOnly(Fpinjam->DBGrid1, 0, 3));
    QVERIFY(selectsWholeRow(Fpinjam->DBGrid2, 1));
    Fpinjam->hide();

    activate(Fanggota);
    QVERIFY(selectsWholeRow(Fanggota->DBGrid1, 1));
}

void DeskTest::everyWindowFitsA1024x768Screen()
{
    Program program;
    MessageScript script;
    seed(Book);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(screen, QRect(0, 0, 1024, 768));

    QStringList problems;
    auto check = [&](QWidget *window) {
        const QRect frame = frameOf(window);
        if (!screen.contains(frame))
            problems << QStringLiteral("%1 at %2,%3 to %4,%5").arg(window->objectName()).arg(frame.left())
                            .arg(frame.top()).arg(frame.right()).arg(frame.bottom());
        problems << cutOff(window);
    };
    // The main window opens maximized, where the window manager fits its
    // frame; its size when not maximized fits as well.
    QVERIFY(Fmenu->windowState().testFlag(Qt::WindowMaximized));
    check(Fmenu);
    const QList<Form *> windows{Flogin, PasswordDlg, Fpinjam, Fsimpan, AboutBox,   OKBottomDlg,
                                Fanggota, Flapsimpan, Form2,  Fcari};
    for (Form *window : windows) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        check(window);
        window->hide();
    }

    // The print preview of the savings slip, caught while it is open.
    QWidget *preview = nullptr;
    QTimer look;
    connect(&look, &QTimer::timeout, this, [&] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            const bool window = top->windowType() == Qt::Window || top->windowType() == Qt::Dialog;
            if (window && top->isVisible() && top != Fsimpan && top != Fmenu
                && !windows.contains(qobject_cast<Form *>(top))) {
                look.stop();
                preview = top;
                check(top);
                top->close();
                return;
            }
        }
    });
    activate(Fsimpan);
    look.start(10);
    Fsimpan->BitBtnlapSimpan->click();
    QVERIFY(preview);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
}

// One screen of 1024x768, the smallest desk the program is made for.
int main(int argc, char **argv)
{
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1024, "height": 768,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    Application app(argc, argv);
    DeskTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desk.moc"
