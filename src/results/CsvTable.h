#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace qcm {

// A table as French spreadsheets open it: UTF-8 with a byte order mark,
// fields separated by ';', a field holding ';', '"' or a line break quoted
// with its quotes doubled, lines ended by CR LF.
QByteArray csvDocument(const QStringList &header, const QList<QStringList> &rows);

// Writes the document whole or not at all; a French reason on failure.
bool writeCsvFile(const QString &path, const QByteArray &document, QString *error);

} // namespace qcm
