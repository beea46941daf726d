#include "drawing/SafeFile.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kRandomLength = 6;
constexpr char kTemporarySuffix[] = ".tmp";

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString RandomLetters() {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString letters;
    for (int i = 0; i < kRandomLength; ++i)
        letters += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
    return letters;
}

QString Joined(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// The descriptor a name gives for one of the program's own open files: "-" for standard output,
// /dev/stdout, /dev/stderr and /dev/fd/N. These are written through the descriptor the program
// already holds, so the output follows what was printed before even when it is a regular file;
// -1 for any other name.
int OwnDescriptor(const QString& path) {
    if (path == QLatin1String("-") || path == QLatin1String("/dev/stdout"))
        return STDOUT_FILENO;
    if (path == QLatin1String("/dev/stderr"))
        return STDERR_FILENO;
    for (const QLatin1String folder : {QLatin1String("/dev/fd/"), QLatin1String("/proc/self/fd/")}) {
        if (!path.startsWith(folder))
            continue;
        bool number = false;
        const int fd = path.mid(folder.size()).toInt(&number);
        const int flags = number && fd >= 0 ? ::fcntl(fd, F_GETFL) : -1;
        if (flags != -1 && (flags & O_ACCMODE) != O_RDONLY)
            return fd;
    }
    return -1;
}

} // namespace

// Writes to a file descriptor through a buffer of its own and keeps the system's error number, which
// is what a failed save must report.
class TDescriptorDevice : public QIODevice {
public:
    TDescriptorDevice(int fd, bool own) : m_fd(fd), m_own(own) { m_buffer.reserve(kBufferSize); }
    ~TDescriptorDevice() override { Release(); }

    int Descriptor() const { return m_fd; }
    int Error() const { return m_error; }
    bool isSequential() const override { return true; }

    // Writes out the buffer; false with Error set on failure.
    bool Flush() {
        const char* data = m_buffer.data();
        size_t left = m_buffer.size();
        while (left > 0 && m_error == 0) {
            const ssize_t done = ::write(m_fd, data, left);
            if (done < 0) {
                if (errno != EINTR)
                    SetError(errno);
                continue;
            }
            data += done;
            left -= static_cast<size_t>(done);
        }
        m_buffer.clear();
        return m_error == 0;
    }

    void Release() {
        if (m_own && m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        if (isOpen())
            QIODevice::close();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (m_error != 0)
            return -1;
        m_buffer.append(data, static_cast<size_t>(size));
        if (m_buffer.size() >= kBufferSize && !Flush())
            return -1;
        return size;
    }

private:
    static constexpr size_t kBufferSize = 64 * 1024;

    void SetError(int error) {
        m_error = error;
        setErrorString(SystemError(error));
    }

    int m_fd;
    bool m_own;
    int m_error = 0;
    std::string m_buffer;
};

EFileWriteError::EFileWriteError(const QString& path, const QString& reason)
    : EWriteError(QStringLiteral("Cannot write '%1': %2").arg(path, reason).toStdString()), Path(path),
      Reason(reason) {}

TSafeFile::TSafeFile(QString path) : m_path(std::move(path)) {}

TSafeFile::~TSafeFile() {
    if (!m_done)
        Discard();
}

QString TSafeFile::TemporaryName(const QString& fileName) {
    return QLatin1Char('.') + fileName + QLatin1Char('.') + RandomLetters() + QLatin1String(kTemporarySuffix);
}

bool TSafeFile::IsTemporaryOf(const QString& candidate, const QString& fileName) {
    const qsizetype prefix = fileName.size() + 2;
    const qsizetype suffix = qsizetype(sizeof kTemporarySuffix) - 1;
    if (candidate.size() != prefix + kRandomLength + suffix || !candidate.startsWith(QLatin1Char('.')) ||
        candidate.mid(1, fileName.size()) != fileName || candidate[prefix - 1] != QLatin1Char('.') ||
        !candidate.endsWith(QLatin1String(kTemporarySuffix)))
        return false;
    for (QChar c : candidate.mid(prefix, kRandomLength))
        if (c.unicode() > 127 || !c.isLetterOrNumber())
            return false;
    return true;
}

void TSafeFile::Discard() {
    m_device.reset();
    if (!m_tempPath.isEmpty())
        ::unlink(QFile::encodeName(m_tempPath).constData());
    m_tempPath.clear();
}

void TSafeFile::Fail(const QString& reason) {
    Discard();
    m_done = true;
    throw EFileWriteError(m_path, reason);
}

void TSafeFile::FailErrno(int error) {
    Fail(SystemError(error));
}

QIODevice& TSafeFile::Attach(int fd, bool own) {
    m_device = std::make_unique<TDescriptorDevice>(fd, own);
    m_device->open(QIODevice::WriteOnly);
    return *m_device;
}

QIODevice& TSafeFile::Open() {
    Q_ASSERT(!m_device && !m_done);
    if (const int fd = OwnDescriptor(m_path); fd >= 0) {
        // Text printed before goes first.
        std::fflush(stdout);
        std::fflush(stderr);
        m_direct = true;
        return Attach(fd, false);
    }
    if (m_path.isEmpty())
        Fail(QStringLiteral("No file name was given"));

    const QByteArray native = QFile::encodeName(m_path);
    struct stat status {};
    if (::stat(native.constData(), &status) == 0) {
        if (S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode)) {
            m_direct = true;
            const int fd = ::open(native.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (fd < 0)
                FailErrno(errno);
            return Attach(fd, true);
        }
        if (S_ISDIR(status.st_mode))
            FailErrno(EISDIR);
        if (!S_ISREG(status.st_mode))
            Fail(QStringLiteral("It is neither a regular file nor a device that can be written to"));
        m_target = QFileInfo(m_path).canonicalFilePath();
        if (m_target.isEmpty())
            m_target = m_path;
        m_mode = status.st_mode & 07777;
        m_hadFile = true;
    } else if (errno == ENOENT) {
        // A new file, or a link to a file yet to be made.
        const QFileInfo info(m_path);
        m_target = info.isSymLink() ? info.symLinkTarget() : m_path;
    } else {
        FailErrno(errno);
    }
    OpenTemporary();
    return *m_device;
}

void TSafeFile::OpenTemporary() {
    const QFileInfo target(m_target);
    const QString folder = target.absolutePath();
    int fd = -1;
    // A temporary without a name cannot be left behind by a save stopped half-way; it needs /proc to
    // be given a name at the end.
    if (::access("/proc/self/fd", X_OK) == 0) {
        fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0)
            m_unnamed = true;
        else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            FailErrno(errno);
    }
    for (int attempt = 0; fd < 0; ++attempt) {
        m_tempPath = Joined(folder, TemporaryName(target.fileName()));
        fd = ::open(QFile::encodeName(m_tempPath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int error = errno;
            m_tempPath.clear();
            if (error != EEXIST || attempt >= 100)
                FailErrno(error);
        }
    }
    Attach(fd, true);
}

void TSafeFile::Commit() {
    Q_ASSERT(m_device && !m_done);
    if (!m_device->Flush())
        FailErrno(m_device->Error());
    if (m_direct) {
        m_device.reset();
        m_done = true;
        return;
    }
    const int fd = m_device->Descriptor();
    // A full disk may first show here, when the data reaches it.
    if (::fsync(fd) != 0)
        FailErrno(errno);
    struct stat written {};
    if (::fstat(fd, &written) != 0)
        FailErrno(errno);
    if (m_hadFile)
        ::fchmod(fd, m_mode);

    const QString folder = QFileInfo(m_target).absolutePath();
    if (m_unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        for (int attempt = 0; m_tempPath.isEmpty(); ++attempt) {
            const QString name = Joined(folder, TemporaryName(QFileInfo(m_target).fileName()));
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(name).constData(),
                         AT_SYMLINK_FOLLOW) == 0)
                m_tempPath = name;
            else if (errno != EEXIST || attempt >= 100)
                FailErrno(errno);
        }
    }
    if (::rename(QFile::encodeName(m_tempPath).constData(), QFile::encodeName(m_target).constData()) != 0)
        FailErrno(errno);
    m_tempPath.clear();
    m_device.reset();
    m_done = true;
    // The rename itself reaches the disk with the folder.
    const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }

    struct stat placed {};
    if (::stat(QFile::encodeName(m_target).constData(), &placed) != 0)
        throw EFileWriteError(m_path, SystemError(errno));
    if (placed.st_size != written.st_size)
        throw EFileWriteError(m_path, QStringLiteral("The file holds %1 bytes instead of %2")
                                          .arg(qint64(placed.st_size))
                                          .arg(qint64(written.st_size)));
    RemoveStaleTemporaries();
}

void TSafeFile::RemoveStaleTemporaries() const {
    const QFileInfo target(m_target);
    const QString fileName = target.fileName();
    QDirIterator entries(target.absolutePath(), QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        const QString path = entries.next();
        if (!IsTemporaryOf(entries.fileName(), fileName))
            continue;
        struct stat status {};
        if (::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == ::geteuid())
            ::unlink(QFile::encodeName(path).constData());
    }
}

void SaveFileSafely(const QString& path, const std::function<void(QIODevice&)>& write) {
    TSafeFile file(path);
    QIODevice& device = file.Open();
    try {
        write(device);
    } catch (const EFileWriteError&) {
        throw;
    } catch (const EWriteError& error) {
        throw EFileWriteError(path, QString::fromStdString(error.what()));
    }
    file.Commit();
}
