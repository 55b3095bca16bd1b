// The settings file as found on disk: any bytes at all.
#include "FuzzSupport.h"

#include "state/IniFile.h"

using namespace qcm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString ini = fuzz::scratchPath(QStringLiteral("QCM.ini"));
    fuzz::writeBytes(ini, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    const QString base = QStringLiteral("Dernière base");
    const QString absent = QStringLiteral("\n"); // no value read holds a line break
    const QString path = IniFile::readString(ini, base, QStringLiteral("Base"), absent);
    FUZZ_CHECK(path == IniFile::readString(ini, base.toUpper(), QStringLiteral("bASE"), absent));
    // The default shows only when the key is missing: any number may be stored.
    const int repaint = IniFile::readInt(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), -7);
    const bool defaulted = repaint != IniFile::readInt(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), 7);
    const QString repaintText
        = IniFile::readString(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), absent);
    FUZZ_CHECK(defaulted == (repaintText == absent));
    // A plain number is read as itself.
    bool plain = false;
    const int number = repaintText.toInt(&plain);
    FUZZ_CHECK(!plain || repaintText.at(0).isSpace() || repaint == number);
    // Reading never changes the file.
    FUZZ_CHECK(fuzz::readBytes(ini) == QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
