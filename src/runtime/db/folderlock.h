#pragma once

#include <QString>

// Keeps other programs from working on the files of a folder for as long as
// it holds its lock: an advisory lock (flock) on a small file in the folder.
// The system drops the lock when the holder ends, however it ends, so a copy
// that crashed or was killed never blocks the next one; the lock file itself
// stays and is never written.
class FolderLock {
public:
    enum class Result {
        Locked,   // this object holds the folder
        Busy,     // another holder has it
        Failed,   // the lock file cannot be made or opened (errorString())
    };

    FolderLock(const QString &folder, const QString &fileName);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // Never waits. Creates the folder when it is missing.
    Result tryLock();
    void unlock();
    bool isLocked() const { return m_fd >= 0; }
    QString errorString() const { return m_error; }

private:
    QString m_folder;
    QString m_path;
    int m_fd = -1;
    QString m_error;
};
