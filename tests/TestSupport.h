#pragma once

// Shared set-up of the test mains and small helpers for tests.

#include "drawing/Serialize.h"

#include <QByteArray>
#include <QDir>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>

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

} // namespace testsupport
