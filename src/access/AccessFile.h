#pragma once

#include <QByteArrayView>
#include <QString>

namespace qcm {

// What the first bytes of a file say about it, for the clubs' older banks
// kept in Microsoft Access.
enum class AccessFormat {
    None, // not an Access file
    Jet3, // Access 97
    Jet4, // Access 2000 to 2003
    Newer, // Access 2007 and later (.accdb): not converted
};

// The first bytes a header is read from.
inline constexpr int kAccessHeaderSize = 0x15;

AccessFormat accessFormatOf(QByteArrayView header);
// None when the file cannot be read.
AccessFormat accessFormat(const QString &path);
// "Access 97 (Jet 3)"…, for the messages and the report.
QString accessFormatName(AccessFormat format);

// Why an Access file named as the bank in use cannot be used as it is.
QString accessBankNotice(const QString &path);

// Whether this build can read Access files (libmdb's headers were found when it was built).
bool accessReaderBuilt();
// Whether this computer can: the build can, and libmdb is installed (it is
// loaded only when a file is read, so the program runs without it).
bool accessReaderAvailable();

} // namespace qcm
