#pragma once

// Shared by the fuzz targets, built either for libFuzzer (clang) or for the
// replay of the committed corpus (any compiler).

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace qcm::fuzz {

// Files written by a target live in memory when the system offers it: a
// target rewrites them at every input.
inline QString scratchPath(const QString &name)
{
    static QTemporaryDir dir = [] {
        QTemporaryDir shm(QStringLiteral("/dev/shm/qcm-fuzz-XXXXXX"));
        return shm.isValid() ? std::move(shm) : QTemporaryDir();
    }();
    return dir.filePath(name);
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

[[noreturn]] inline void broken(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

} // namespace qcm::fuzz

// A property every input must keep: aborts, which libFuzzer records as a
// crash and the replay as a failed test.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::qcm::fuzz::broken(#condition, __FILE__, __LINE__);                                                       \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
