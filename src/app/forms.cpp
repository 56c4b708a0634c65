#include "app/forms.h"

#include "app/Login.h"
#include "app/Uexit.h"
#include "app/about.h"
#include "app/menu.h"
#include "app/password.h"
#include "data/DM.h"
#include "loans/UQRpinjam.h"
#include "loans/Uinputbulanpinjam.h"
#include "loans/pinjaman.h"
#include "members/Laporan_Anggota.h"
#include "members/Ucari.h"
#include "members/Uanggota.h"
#include "runtime/db/sqlite/filecheck.h"
#include "runtime/db/folderlock.h"
#include "runtime/db/sqlite/safetycopy.h"
#include "runtime/forms/messages.h"
#include "savings/ULapSimpanBulanan.h"
#include "savings/UinputbulanSimpanan.h"
#include "savings/Uslip.h"
#include "savings/simpanan.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <memory>

namespace {

// Held from a successful start until shutDown().
std::unique_ptr<FolderLock> &bookLock()
{
    static std::unique_ptr<FolderLock> lock;
    return lock;
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Why the lock of a book could not be taken, in the clerk's words.
QString lockProblem(const QString &folder, const FolderLock &lock)
{
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("Folder data %1 tidak dapat dibuat.").arg(native(folder));
    if (!isWritable(folder))
        return QStringLiteral("Folder data %1 hanya dapat dibaca; program perlu menulis di sana.").arg(native(folder));
    return QStringLiteral("Folder data %1 tidak dapat dipakai (%2).").arg(native(folder), lock.errorString());
}

// Takes the lock file for this run, or tells why not.
std::unique_ptr<FolderLock> takeLock(const QString &folder, const QString &fileName)
{
    auto lock = std::make_unique<FolderLock>(folder, fileName);
    switch (lock->tryLock()) {
    case FolderLock::Result::Locked:
        return lock;
    case FolderLock::Result::Busy:
        messages::warning(QStringLiteral("Program Simpan Pinjam sudah dijalankan."));
        return nullptr;
    case FolderLock::Result::Failed:
        break;
    }
    messages::error(QStringLiteral("Program Simpan Pinjam tidak dapat dijalankan.\n") + lockProblem(folder, *lock));
    return nullptr;
}

// Takes the book for this run, or tells why not.
std::unique_ptr<FolderLock> lockBook(const QString &folder)
{
    return takeLock(folder, QStringLiteral("simpanpinjam.lock"));
}

// On a server many desks share the book, but one user (one home folder)
// runs one copy on it: the lock is in the user's own data folder, named
// after the server's address without the password.
std::unique_ptr<FolderLock> lockDesk(const QString &uri)
{
    QUrl url(uri);
    url.setPassword(QString());
    const QByteArray key = QCryptographicHash::hash(url.toString().toUtf8(), QCryptographicHash::Sha1).toHex();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/meja");
    return takeLock(folder, QStringLiteral("server-%1.lock").arg(QString::fromLatin1(key)));
}

// createForms(), or the reason why it failed, told in words a clerk can pass on.
QString createFormsOrExplain()
{
    try {
        createForms();
        return {};
    } catch (const DatabaseError &error) {
        return error.text();
    } catch (const std::exception &error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("Terjadi kesalahan yang tidak dikenal.");
    }
}

} // namespace

void createForms()
{
    Fmenu = new TFmenu;
    Flogin = new TFlogin;
    Fpinjam = new TFpinjam;
    Fsimpan = new TFsimpan;
    modul = new Tmodul;
    // The loans and savings windows exist before the data module.
    Fpinjam->connectData();
    Fsimpan->connectData();
    ReportAnggota = new TReportAnggota;
    AboutBox = new TAboutBox;
    Fslip = new TFslip;
    PasswordDlg = new TPasswordDlg;
    OKBottomDlg = new TOKBottomDlg;
    Fanggota = new TFanggota;
    FlapPinjam = new TFlapPinjam;
    Flapsimpan = new TFlapsimpan;
    Form3 = new TForm3;
    Form2 = new TForm2;
    Fcari = new TFcari;
    Fmenu->connectDateEditors();
}

template <typename T>
static void destroy(T *&instance)
{
    delete instance;
    instance = nullptr;
}

void destroyForms()
{
    destroy(Fcari);
    destroy(Form2);
    destroy(Form3);
    destroy(Flapsimpan);
    destroy(FlapPinjam);
    destroy(Fanggota);
    destroy(OKBottomDlg);
    destroy(PasswordDlg);
    destroy(Fslip);
    destroy(AboutBox);
    destroy(ReportAnggota);
    destroy(modul);
    destroy(Fsimpan);
    destroy(Fpinjam);
    destroy(Flogin);
    destroy(Fmenu);
}

bool startUp()
{
    const QString target = aliasFolder(QString::fromLatin1(Tmodul::Alias));
    std::unique_ptr<FolderLock> lock = isServerTarget(target) ? lockDesk(target) : lockBook(target);
    if (!lock)
        return false;
    if (const QString problem = createFormsOrExplain(); !problem.isEmpty()) {
        destroyForms();
        messages::error(QStringLiteral("Program Simpan Pinjam tidak dapat dijalankan.\n") + problem);
        return false;
    }
    bookLock() = std::move(lock);
    // Before the login: a failed copy is told once and the program goes on.
    const safetycopy::Outcome copy = safetycopy::makeDailyCopy(*modul->connection(), QDate::currentDate());
    if (!copy.error.isEmpty())
        messages::warning(QStringLiteral("Salinan cadangan data hari ini tidak dapat dibuat: %1.\n"
                                         "Program tetap dapat dipakai; beri tahu pengelola data.")
                              .arg(copy.error));
    return true;
}

void shutDown()
{
    destroyForms();
    bookLock().reset();
}

bool pendingWorkResolved()
{
    for (Form *window : std::initializer_list<Form *>{Fanggota, Fsimpan, Fpinjam}) {
        if (!window || window->mayClose())
            continue;
        if (window->isVisible()) {
            window->raise();
            window->activateWindow();
        }
        return false;
    }
    return true;
}
