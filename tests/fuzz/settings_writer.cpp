// Writing one key into any existing settings file. Input: one byte of
// choices, one byte of value length, the value, then the file as found.
// Every value written reads back exactly and leaves the other keys alone; a
// refused value leaves the file as it was.
#include "FuzzSupport.h"

#include "state/IniFile.h"

#include <QFileInfo>

using namespace qcm;
using namespace Qt::StringLiterals;

namespace {

const std::pair<QString, QString> kKeys[] = {{u"Dernière base"_s, u"Base"_s}, {u"Options"_s, u"Repeindre"_s},
    {u"Disposition"_s, u"fInBox.Left"_s}, {u"dernière BASE"_s, u"base"_s}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t choices = data[0];
    const size_t valueSize = std::min<size_t>(data[1], size - 2);
    const char *valueBytes = reinterpret_cast<const char *>(data + 2);
    const QByteArray file(valueBytes + valueSize, qsizetype(size - 2 - valueSize));
    // Raw UTF-16 reaches what UTF-8 cannot: lone surrogates.
    const QString value = (choices & 4)
        ? QString(
            reinterpret_cast<const QChar *>(QByteArray(valueBytes, qsizetype(valueSize & ~size_t(1))).constData()),
            qsizetype(valueSize / 2))
        : QString::fromUtf8(valueBytes, qsizetype(valueSize));
    const auto &[section, key] = kKeys[choices & 3];
    const auto &[otherSection, otherKey] = kKeys[(choices & 3) == 1 ? 0 : 1];

    const QString ini = fuzz::scratchPath(u"QCM.ini"_s);
    QFile::remove(ini);
    if (!(choices & 8))
        fuzz::writeBytes(ini, file);
    const QString absent = u"\n"_s; // no value read holds a line break
    const QString otherBefore = IniFile::readString(ini, otherSection, otherKey, absent);

    QString error;
    if (!IniFile::writeString(ini, section, key, value, &error)) {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(QFileInfo::exists(ini) == !(choices & 8));
        FUZZ_CHECK((choices & 8) || fuzz::readBytes(ini) == file);
        return 0;
    }
    FUZZ_CHECK(IniFile::readString(ini, section, key, absent) == value);
    FUZZ_CHECK(IniFile::readString(ini, otherSection, otherKey, absent) == otherBefore);
    // Writing the same again changes nothing.
    const QByteArray written = fuzz::readBytes(ini);
    FUZZ_CHECK(IniFile::writeString(ini, section, key, value, &error));
    FUZZ_CHECK(fuzz::readBytes(ini) == written);
    return 0;
}
