#pragma once

#include <QString>

namespace qcm {

// The settings file: "[section]" headers and "key=value" lines, read and
// written one key at a time so that another tool may read or edit it too.
// Sections and keys match without regard to letter case; values are read
// whole, however long.
namespace IniFile {

// A missing, unreadable or garbled file gives the default.
QString readString(const QString &path, const QString &section, const QString &key, const QString &fallback);
int readInt(const QString &path, const QString &section, const QString &key, int fallback);

// Rewrites the file with the one key changed, leaving every other line as it
// was. The new file replaces the old one only once it is completely written.
bool writeString(
    const QString &path, const QString &section, const QString &key, const QString &value, QString *error = nullptr);

} // namespace IniFile

} // namespace qcm
