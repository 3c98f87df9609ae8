#include "AnimationFile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace
{
const QString folderName = QStringLiteral("qlr-learn");

class Descriptor
{
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(Descriptor &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    { }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return QDir::isAbsolutePath(runtime) ? runtime + '/' + folderName : QString();
}

QString cacheFolder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty() || !QDir().mkpath(cache))
        return {};
    return cache + '/' + folderName;
}

// Opens the folder, creating it 0700; refuses a link, anything that is not a
// directory, and a directory of another user. Tightens a too open mode of our own.
Descriptor openPrivateFolder(const QString &folder)
{
    if (folder.isEmpty())
        return Descriptor();
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return Descriptor();
    Descriptor fd(::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status
    { };
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid())
        return Descriptor();
    if ((status.st_mode & 077) != 0 && ::fchmod(fd.get(), 0700) != 0)
        return Descriptor();
    return fd;
}

// The runtime folder when it can be had, the cache folder otherwise; `folder` names it.
Descriptor openFolder(QString &folder)
{
    folder = runtimeFolder();
    Descriptor fd = openPrivateFolder(folder);
    if (fd.valid())
        return fd;
    folder = cacheFolder();
    return openPrivateFolder(folder);
}

bool removeIn(const Descriptor &folder)
{
    // unlinkat removes a link itself, never what it points to.
    const QByteArray name = QFile::encodeName(AnimationFile::fileName());
    return ::unlinkat(folder.get(), name.constData(), 0) == 0 || errno == ENOENT;
}
}  // namespace

QString AnimationFile::fileName()
{
    return QStringLiteral("hint-animation.gif");
}

QString AnimationFile::path()
{
    QString folder;
    return openFolder(folder).valid() ? folder + '/' + fileName() : QString();
}

bool AnimationFile::replace(const QByteArray &data)
{
    QString folder;
    const Descriptor dir = openFolder(folder);
    if (!dir.valid() || !removeIn(dir) || data.isEmpty())
        return false;
    const QByteArray name = QFile::encodeName(fileName());
    // O_EXCL: a name that reappeared since the removal is not written through.
    const Descriptor file(
        ::openat(dir.get(), name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.valid())
        return false;
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t count = ::write(file.get(), data.constData() + written, size_t(data.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            removeIn(dir);
            return false;
        }
        written += count;
    }
    return true;
}

bool AnimationFile::remove()
{
    QString folder;
    const Descriptor dir = openFolder(folder);
    return dir.valid() && removeIn(dir);
}
