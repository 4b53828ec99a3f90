// The trash module: moves an entry into the freedesktop.org trash through Qt Core,
// which knows the trash rules (home trash, a volume's .Trash-<uid>, .trashinfo). Loaded
// by the platform layer only when something is recycled.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

// Returns 0, or the errno of the failure (EIO when Qt leaves none that fits).
extern "C" __attribute__((visibility("default"))) int tagscope_move_to_trash(const char* nativePath)
{
    const QString path = QFile::decodeName(nativePath);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return ENOENT;
    // Qt 6.4 establishes the home trash only inside an existing data folder, and when
    // it cannot, moves the entry to a folder "files" below the current folder instead.
    // So the data folder is made first, and a result outside any trash is undone.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty()) QDir().mkpath(data);
    QString inTrash;
    errno = 0;
    if (!QFile::moveToTrash(path, &inTrash)) {
        // errno is what the last system call left; the entry was there, so a "no such
        // file" came from the trash's own folders and says nothing about the entry.
        const int e = errno;
        return e != 0 && e != ENOENT ? e : EIO;
    }
    if (QDir::isRelativePath(inTrash)) {
        QFile::rename(inTrash, path);
        return EIO;
    }
    return 0;
}
