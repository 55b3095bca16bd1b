#include "AccessFile.h"

#ifdef QCM_HAVE_LIBMDB
#include "MdbTableSource.h"
#endif

#include <QDir>
#include <QFile>

namespace qcm {

AccessFormat accessFormatOf(QByteArrayView header)
{
    // Bytes 0-3 are the page type of the header page, 4-19 the engine's
    // name, 0x14 the engine version.
    static constexpr char kPageStart[] = {'\0', '\1', '\0', '\0'};
    if (header.size() < kAccessHeaderSize || header.first(4) != QByteArrayView(kPageStart, 4))
        return AccessFormat::None;
    const QByteArrayView engine = header.sliced(4, 16);
    const auto version = static_cast<unsigned char>(header.at(0x14));
    if (engine == QByteArrayView("Standard Jet DB\0", 16))
        return version == 0 ? AccessFormat::Jet3 : version == 1 ? AccessFormat::Jet4 : AccessFormat::Newer;
    if (engine == QByteArrayView("Standard ACE DB\0", 16))
        return AccessFormat::Newer;
    return AccessFormat::None;
}

AccessFormat accessFormat(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return AccessFormat::None;
    return accessFormatOf(file.read(kAccessHeaderSize));
}

QString accessFormatName(AccessFormat format)
{
    switch (format) {
    case AccessFormat::Jet3:
        return QStringLiteral("Access 97 (Jet 3)");
    case AccessFormat::Jet4:
        return QStringLiteral("Access 2000 à 2003 (Jet 4)");
    case AccessFormat::Newer:
        return QStringLiteral("Access 2007 ou plus récent");
    case AccessFormat::None:
        break;
    }
    return QStringLiteral("inconnu");
}

QString accessBankNotice(const QString &path)
{
    return QStringLiteral("La base « %1 » est au format Access : choisissez-la avec « Choisir une base » pour la "
                          "convertir en une base de ce programme.")
        .arg(QDir::toNativeSeparators(path));
}

bool accessReaderAvailable()
{
#ifdef QCM_HAVE_LIBMDB
    return MdbTableSource::libraryAvailable();
#else
    return false;
#endif
}

bool accessReaderBuilt()
{
#ifdef QCM_HAVE_LIBMDB
    return true;
#else
    return false;
#endif
}

} // namespace qcm
