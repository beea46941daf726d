#pragma once

// Shared set-up of the test mains and small helpers for tests.

#include "drawing/Serialize.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/resource.h>

namespace testsupport {

// Call before the application object exists: tests run offscreen with a fixed locale and never
// touch the user's settings.
inline void PrepareEnvironment() {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::setlocale(LC_ALL, "C");
    setenv("LC_ALL", "C", 1);
    QStandardPaths::setTestModeEnabled(true);
}

// Call after the application object exists.
inline void PrepareApplication(QTemporaryDir& settingsDir) {
    QLocale::setDefault(QLocale::c());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
}

inline QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int v : values)
        bytes.append(static_cast<char>(v));
    return bytes;
}

inline QString DataPath(const QString& name) {
    return QDir(TESSIVAR_TEST_DATA).filePath(name);
}

// One of the example circuits shipped with the program.
inline QString ExamplePath(const QString& name) {
    return QDir::cleanPath(QStringLiteral(TESSIVAR_TEST_DATA "/../../examples/") + name);
}

// The whole file, or nothing when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The stream bytes of one object tree, without a signature.
inline QByteArray WriteTree(TSerialize* root) {
    QByteArray bytes;
    TSerializeWriter writer(&bytes);
    writer.WriteObject(root);
    writer.Finish();
    return bytes;
}

// Reads one tree whose root is of class T, links resolved as a file reader does.
template <class T> std::unique_ptr<T> ReadTree(const QByteArray& bytes) {
    TSerializeReader reader(bytes);
    T* root = reader.ReadRoot<T>();
    reader.Commit();
    return std::unique_ptr<T>(root);
}

// Files may grow to the given size while it lives, as on a disk that is nearly full; writing beyond
// fails with EFBIG instead of raising SIGXFSZ. Holds for root as well.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace testsupport
