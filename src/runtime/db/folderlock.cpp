#include "runtime/db/folderlock.h"

#include "runtime/db/sqlite/filecheck.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FolderLock::FolderLock(const QString &folder, const QString &fileName)
    : m_folder(folder), m_path(QDir(folder).filePath(fileName))
{
}

FolderLock::~FolderLock()
{
    unlock();
}

FolderLock::Result FolderLock::tryLock()
{
    if (isLocked())
        return Result::Locked;
    m_error.clear();
    if (!QDir().mkpath(m_folder)) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return Result::Failed;
    }
    // Nothing is made in a folder marked read-only, even where the system
    // would allow it.
    if (!QFileInfo::exists(m_path) && !isWritable(m_folder)) {
        m_error = QString::fromLocal8Bit(std::strerror(EACCES));
        return Result::Failed;
    }
    const QByteArray path = QFile::encodeName(m_path);
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC); // a lock needs no writing
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return Result::Failed;
    }
    // Locks of separate opens exclude each other, within one process too.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::Busy;
        m_error = QString::fromLocal8Bit(std::strerror(error));
        return Result::Failed;
    }
    m_fd = fd;
    return Result::Locked;
}

void FolderLock::unlock()
{
    if (m_fd < 0)
        return;
    ::close(m_fd); // closing drops the lock
    m_fd = -1;
}
