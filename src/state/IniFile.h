#pragma once

#include <QString>

namespace qcm {

// The settings file: "[section]" headers and "key=value" lines, read and
// written one key at a time so that another tool may read or edit it too.
// Sections and keys match without regard to letter case; values are read
// whole, however long.
//
// A value is written as it stands unless reading it back would change it:
// one with blanks at either end, or starting and ending with a double quote,
// is written between double quotes, which the reader removes. A value holding
// a line break or another control character cannot be kept on one line and is
// refused. The file may be UTF-8 (the form written), Latin-1 from older
// tools, or UTF-16 with a byte-order mark, which is kept when rewriting.
namespace IniFile {

// Larger files are not settings files: they are neither read nor rewritten.
inline constexpr qint64 kMaxFileSize = 1 << 20;

// A missing, unreadable, garbled or oversized file, or anything but a
// regular file, gives the default.
QString readString(const QString &path, const QString &section, const QString &key, const QString &fallback);
// Leading digits count and anything else reads as 0, as with the profile
// functions; a number beyond the range of int reads as the nearest bound.
int readInt(const QString &path, const QString &section, const QString &key, int fallback);

// Rewrites the file with the one key changed, leaving every other line as it
// was. The new file replaces the old one only once it is completely written;
// on failure the file stays as it was and *error says why, in French.
bool writeString(
    const QString &path, const QString &section, const QString &key, const QString &value, QString *error = nullptr);

} // namespace IniFile

} // namespace qcm
