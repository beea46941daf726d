#pragma once

// Every file the program writes goes through TSafeFile, so a failed save never costs the file it
// would have replaced and never passes for a success.

#include "drawing/Serialize.h"

#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>

// A file could not be written. The text names the file and gives the system's reason.
class EFileWriteError : public EWriteError {
public:
    EFileWriteError(const QString& path, const QString& reason);
    QString Path;
    QString Reason;
};

class TDescriptorDevice;

// A regular file (or a new one) is written into a temporary beside it, which takes the file's place
// only once every byte was flushed, synced and checked; the old file's permissions are kept, and a
// link is followed to the file it names. Standard output ("-", /dev/stdout) and the program's other
// open files (/dev/stderr, /dev/fd/N), a pipe or a character device (/dev/null, a terminal) are
// written straight into. Anything else, a folder for instance, is refused rather than replaced.
class TSafeFile {
public:
    explicit TSafeFile(QString path);
    // Without Commit the temporary goes and the target stays as it was.
    ~TSafeFile();
    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;

    // Throws EFileWriteError.
    QIODevice& Open();
    // Puts what was written in the target's place, then removes the temporaries that earlier saves
    // of the same target left when they were stopped half-way. Throws EFileWriteError, after which
    // the target is as it was.
    void Commit();

    const QString& Path() const { return m_path; }
    // The name of a temporary of the given target file name; the ones this pattern matches are
    // removed after a successful save.
    static QString TemporaryName(const QString& fileName);
    static bool IsTemporaryOf(const QString& candidate, const QString& fileName);

private:
    [[noreturn]] void Fail(const QString& reason);
    [[noreturn]] void FailErrno(int error);
    void OpenTemporary();
    QIODevice& Attach(int fd, bool own);
    void Discard();
    void RemoveStaleTemporaries() const;

    QString m_path;
    QString m_target;   // the regular file replaced, links followed
    QString m_tempPath; // the temporary's name once it has one
    std::unique_ptr<TDescriptorDevice> m_device;
    unsigned m_mode = 0; // the old file's permissions
    bool m_hadFile = false;
    bool m_direct = false;
    bool m_unnamed = false;
    bool m_done = false;
};

// Opens the file, lets write fill it and commits it. Throws EFileWriteError; an EWriteError that
// write throws comes back as one naming the file.
void SaveFileSafely(const QString& path, const std::function<void(QIODevice&)>& write);
