#include "app/menu.h"

#include "app/Login.h"
#include "app/Uexit.h"
#include "app/about.h"
#include "app/forms.h"
#include "app/shell.h"
#include "loans/Uinputbulanpinjam.h"
#include "loans/pinjaman.h"
#include "members/Laporan_Anggota.h"
#include "members/Uanggota.h"
#include "runtime/controls/dbedit.h"
#include "runtime/forms/look.h"
#include "runtime/forms/messages.h"
#include "runtime/picture.h"
#include "runtime/regional.h"
#include "savings/UinputbulanSimpanan.h"
#include "savings/simpanan.h"

#include <QCloseEvent>
#include <QVBoxLayout>

TFmenu *Fmenu = nullptr;

namespace {

constexpr int ScrollStart = 10;
constexpr int ScrollEnd = 810;
const QColor Silver(192, 192, 192);

QFont pixelFont(const QString &family, int pixels, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void setColours(QWidget *widget, const QColor &text, const QColor &background = QColor())
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

QLabel *transparentLabel(QWidget *parent, const QString &name, const QString &text, const QFont &font,
                         const QColor &colour)
{
    QLabel *label = look::label(parent, name, text);
    label->setFont(font);
    label->setAttribute(Qt::WA_TranslucentBackground);
    setColours(label, colour);
    label->adjustSize();
    return label;
}

QAction *command(QWidget *owner, const QString &name, const QString &caption, const QKeySequence &shortcut,
                 std::function<void()> handler)
{
    auto *action = new QAction(caption, owner);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    QObject::connect(action, &QAction::triggered, owner, [handler] { messages::guard(handler); });
    return action;
}

} // namespace

TFmenu::TFmenu(QWidget *parent) : Form(QStringLiteral("Fmenu"), parent)
{
    setWindowTitle(QStringLiteral("Menu Utama"));
    setWindowIcon(QIcon(picture::loadPixmap(QStringLiteral(":/icon.jpg"))));
    setColours(this, Qt::white, Qt::black);
    buildMenu();
    buildClient();

    Timer1 = new QTimer(this);
    Timer2 = new QTimer(this);
    Timer3 = new QTimer(this);
    const std::pair<QTimer *, void (TFmenu::*)()> timers[] = {
        {Timer1, &TFmenu::Timer1Timer}, {Timer2, &TFmenu::Timer2Timer}, {Timer3, &TFmenu::Timer3Timer}};
    int n = 1;
    for (const auto &[timer, handler] : timers) {
        timer->setObjectName(QStringLiteral("Timer%1").arg(n++));
        timer->setInterval(1000);
        connect(timer, &QTimer::timeout, this, [this, handler] { messages::guard([this, handler] { (this->*handler)(); }); });
        timer->start();
    }
    // The size it has when not maximized (and where no window manager maximizes).
    resize(1024, 720);
    centerOnScreen();
    setWindowState(Qt::WindowMaximized);
}

void TFmenu::buildMenu()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // The window is black; the bar keeps the ordinary menu colours, so its
    // captions read, also greyed while the login runs.
    look::wearStandardColours(MainMenu1);
    MainMenu1->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(MainMenu1);

    QMenu *file = MainMenu1->addMenu(QStringLiteral("&File"));
    Anggota1 = command(this, QStringLiteral("Anggota1"), QStringLiteral("Anggota"), Qt::CTRL | Qt::Key_G,
                       [this] { Anggota1Click(); });
    Simpanan1 = command(this, QStringLiteral("Simpanan1"), QStringLiteral("Simpanan"), Qt::CTRL | Qt::Key_S,
                        [this] { Simpanan1Click(); });
    Pinjaman1 = command(this, QStringLiteral("Pinjaman1"), QStringLiteral("Pinjaman"), Qt::CTRL | Qt::Key_P,
                        [this] { Pinjaman1Click(); });
    Anggota1->setIcon(QIcon(picture::loadPixmap(QStringLiteral(":/anggota.jpg"))));
    Simpanan1->setIcon(QIcon(picture::loadPixmap(QStringLiteral(":/simpanan.jpg"))));
    Pinjaman1->setIcon(QIcon(picture::loadPixmap(QStringLiteral(":/pinjaman.jpg"))));
    file->addActions({Anggota1, Simpanan1, Pinjaman1});

    QMenu *report = MainMenu1->addMenu(QStringLiteral("&Report"));
    LaporanAnggota1 = command(this, QStringLiteral("LaporanAnggota1"), QStringLiteral("Laporan Anggota"), Qt::Key_F1,
                              [this] { LaporanAnggota1Click(); });
    LaporanSimpanan1 = command(this, QStringLiteral("LaporanSimpanan1"), QStringLiteral("Laporan Simpanan"),
                               Qt::Key_F2, [this] { LaporanSimpanan1Click(); });
    LaporanPinjaman1 = command(this, QStringLiteral("LaporanPinjaman1"), QStringLiteral("Laporan Pinjaman"),
                               Qt::Key_F3, [this] { LaporanPinjaman1Click(); });
    const QIcon reportIcon(picture::loadPixmap(QStringLiteral(":/laporan.jpg")));
    for (QAction *a : {LaporanAnggota1, LaporanSimpanan1, LaporanPinjaman1})
        a->setIcon(reportIcon);
    report->addActions({LaporanAnggota1, LaporanSimpanan1, LaporanPinjaman1});

    About1 = command(this, QStringLiteral("About1"), QStringLiteral("A&bout"), {}, [this] { About1Click(); });
    Exit1 = command(this, QStringLiteral("Exit1"), QStringLiteral("E&xit"), {}, [this] { Exit1Click(); });
    MainMenu1->addAction(About1);
    MainMenu1->addAction(Exit1);
}

void TFmenu::buildClient()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setMinimumSize(640, 480);
    layout()->addWidget(m_client);
    QWidget *c = m_client;

    flash = new Image(c, QStringLiteral("flash"));
    flash->setPicture(QStringLiteral(":/background.jpg"));

    Image1 = new Image(c, QStringLiteral("Image1"));
    Image1->setPicture(QStringLiteral(":/logo.jpg"));
    Image1->resize(240, 160);

    Panel3 = new QLabel(QStringLiteral("APLIKASI PENGOLAHAN DATA SIMPAN PINJAM"), c);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setAlignment(Qt::AlignCenter);
    Panel3->setFont(pixelFont(QStringLiteral("DejaVu Sans Mono"), 27, true));
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setColours(Panel3, Qt::blue, Qt::black);
    Panel3->resize(Panel3->sizeHint() + QSize(40, 16));

    const QFont letterFont = pixelFont(QStringLiteral("Comic Sans MS"), 27, true);
    const QString word = QStringLiteral("WELCOME");
    QLabel **targets[] = {&Label6, &Label7, &Label8, &Label9, &Label10, &Label11, &Label12};
    for (int i = 0; i < 7; ++i) {
        const QColor colour = i % 2 == 0 ? look::Fuchsia : QColor(Qt::blue);
        *targets[i] = transparentLabel(c, QStringLiteral("Label%1").arg(6 + i), word.mid(i, 1), letterFont, colour);
    }

    Label5 = transparentLabel(c, QStringLiteral("Label5"), QString(), pixelFont(QString(), 16, true), Qt::red);
    Label4 = transparentLabel(c, QStringLiteral("Label4"), QString(), pixelFont(QString(), 19, true), Qt::yellow);
    Label2 = new QLabel(c);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->hide();

    const QFont captionFont = pixelFont(QStringLiteral("Kristen ITC"), 24, true);
    Label1 = transparentLabel(c, QStringLiteral("Label1"), QStringLiteral("KOPMA UNRAWI"), captionFont, Silver);
    Label3 = transparentLabel(c, QStringLiteral("Label3"), QStringLiteral("KOPMA UNRAWI"), captionFont, look::Fuchsia);

    Panel1 = new QFrame(c);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel2 = new QFrame(c);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    for (QFrame *rule : {Panel1, Panel2}) {
        rule->setFrameStyle(QFrame::Panel | QFrame::Raised);
        setColours(rule, Qt::black, Silver);
    }

    SpeedButton1 = new SpeedButton(c, QStringLiteral("SpeedButton1"));
    SpeedButton2 = new SpeedButton(c, QStringLiteral("SpeedButton2"));
    SpeedButton3 = new SpeedButton(c, QStringLiteral("SpeedButton3"));
    const std::tuple<SpeedButton *, const char *, const char *, void (TFmenu::*)()> buttons[] = {
        {SpeedButton1, "Anggota", ":/anggota.jpg", &TFmenu::SpeedButton1Click},
        {SpeedButton2, "Simpanan", ":/simpanan.jpg", &TFmenu::SpeedButton2Click},
        {SpeedButton3, "Pinjaman", ":/pinjaman.jpg", &TFmenu::SpeedButton3Click}};
    int x = 4;
    for (const auto &[button, hint, pictureName, handler] : buttons) {
        button->setHint(QString::fromLatin1(hint));
        button->setPicture(QString::fromLatin1(pictureName));
        button->setCursor(Qt::PointingHandCursor);
        button->setGeometry(x, 4, 36, 36);
        button->onClick = [this, handler] { (this->*handler)(); };
        x += 38;
    }

    // The caption starts at even positions so that both labels meet 810 exactly.
    Label1->move(140, 0);
    Label3->move(144, 0);
    placeClient();
}

QList<QLabel *> TFmenu::letters() const
{
    return {Label6, Label7, Label8, Label9, Label10, Label11, Label12};
}

void TFmenu::placeClient()
{
    const int w = m_client->width();
    const int h = m_client->height();
    flash->setGeometry(0, 0, w, h);
    flash->lower();
    Image1->move((w - Image1->width()) / 2, 50);
    Panel3->move((w - Panel3->width()) / 2, 225);
    int x = w / 2 - 7 * 40 / 2;
    int i = 0;
    for (QLabel *letter : letters()) {
        // Every second letter a little higher: a zig-zag line.
        letter->move(x, i % 2 == 0 ? 300 : 290);
        x += 40;
        ++i;
    }
    Label5->adjustSize();
    Label5->move(w - Label5->width() - 16, 10);
    Label4->adjustSize();
    Label4->move(12, h - 120);
    Panel1->setGeometry(0, h - 86, w, 4);
    Panel2->setGeometry(0, h - 38, w, 5);
    // The silver copy is the shadow: the fuchsia one sits 2 pixels higher.
    Label1->move(Label1->x(), h - 74);
    Label3->move(Label3->x(), h - 76);
    Label3->raise();
    for (QWidget *w2 : std::initializer_list<QWidget *>{SpeedButton1, SpeedButton2, SpeedButton3})
        w2->raise();
}

void TFmenu::resizeEvent(QResizeEvent *event)
{
    Form::resizeEvent(event);
    placeClient();
}

void TFmenu::connectDateEditors()
{
    for (DBEdit *editor : {Fpinjam->DBEtglP, Fsimpan->DBETglSimpan, Fanggota->DBEtglDaftar})
        connect(editor, &DBEdit::editStarted, this, [editor] { editor->setText(regional::todayShortDate()); });
}

void TFmenu::stamp(DBEdit *editor, const QString &text)
{
    if (editor)
        editor->setText(text);
}

// Commands --------------------------------------------------------------------

void TFmenu::Anggota1Click()
{
    Fanggota->showModal();
}

void TFmenu::Simpanan1Click()
{
    Fsimpan->showModeless();
}

void TFmenu::Pinjaman1Click()
{
    Fpinjam->showModeless();
}

void TFmenu::LaporanAnggota1Click()
{
    ReportAnggota->Preview();
}

void TFmenu::LaporanSimpanan1Click()
{
    Flapsimpan->showModeless();
}

void TFmenu::LaporanPinjaman1Click()
{
    Form2->showModeless();
}

void TFmenu::About1Click()
{
    AboutBox->showModeless();
}

void TFmenu::Exit1Click()
{
    OKBottomDlg->showModal();
}

void TFmenu::SpeedButton1Click()
{
    Fanggota->showModeless();
}

void TFmenu::SpeedButton2Click()
{
    Fsimpan->showModal();
}

void TFmenu::SpeedButton3Click()
{
    Fpinjam->showModeless();
}

// Timers ----------------------------------------------------------------------

void TFmenu::Timer1Timer()
{
    Timer1->setInterval(10);
    for (QLabel *label : {Label1, Label3}) {
        label->move(label->x() + 2, label->y());
        if (label->x() == ScrollEnd)
            label->move(ScrollStart, label->y());
    }
}

void TFmenu::Timer2Timer()
{
    const QDate today = QDate::currentDate();
    Label5->setText(regional::longDate(today));
    Label5->adjustSize();
    Label5->move(m_client->width() - Label5->width() - 16, Label5->y());
    Label2->setText(regional::shortDate(today));
    stamp(Fpinjam ? Fpinjam->DBEtglP : nullptr, Label2->text());
    stamp(Fsimpan ? Fsimpan->DBETglSimpan : nullptr, Label2->text());
    stamp(Fanggota ? Fanggota->DBEtglDaftar : nullptr, Label2->text());
    Label4->setText(regional::timeText(QTime::currentTime()));
    Label4->adjustSize();
}

void TFmenu::Timer3Timer()
{
    Timer3->setInterval(300);
    const QList<QLabel *> row = letters();
    int first = -1;
    for (int i = 0; i < row.size(); ++i) {
        if (!row.at(i)->isHidden()) {
            first = i;
            break;
        }
    }
    if (first < 0)
        return;
    if (first == row.size() - 1) {
        for (QLabel *letter : row)
            letter->show();
        Timer3->setInterval(100);
        QPalette palette = Panel3->palette();
        if (palette.color(QPalette::Window) == QColor(Qt::black)) {
            palette.setColor(QPalette::Window, Qt::blue);
            palette.setColor(QPalette::WindowText, Qt::black);
        } else if (palette.color(QPalette::Window) == QColor(Qt::blue)) {
            palette.setColor(QPalette::Window, Qt::black);
            palette.setColor(QPalette::WindowText, Qt::blue);
        }
        Panel3->setPalette(palette);
        return;
    }
    for (int i = 0; i < row.size(); ++i)
        row.at(i)->setVisible(i == first + 1);
}

void TFmenu::FormActivate()
{
    if (m_activatedOnce)
        return;
    m_activatedOnce = true;
    Flogin->showModal();
}

void TFmenu::closeEvent(QCloseEvent *event)
{
    // The close box ends the program without the exit confirmation, once
    // nothing typed is left unstored.
    if (!pendingWorkResolved()) {
        event->ignore();
        return;
    }
    Form::closeEvent(event);
    endProgram();
}
