// Writing one key into any existing settings file. Input: one byte of
// choices, one byte of value length, the value, then the file as found.
// Every value written reads back exactly and leaves the other keys alone; a
// refused value leaves the file as it was.
#include "FuzzSupport.h"

#include "startup/IniFile.h"

#include <QFileInfo>

using namespace qcm;

namespace {

struct Key {
    const char16_t *section;
    const char16_t *key;
};
constexpr Key kKeys[] = {{u"Dernière base", u"Base"}, {u"Options", u"Repeindre"}, {u"Disposition", u"fInBox.Left"},
    {u"dernière BASE", u"base"}};

QString sectionOf(const Key &k)
{
    return QString::fromUtf16(k.section);
}
QString keyOf(const Key &k)
{
    return QString::fromUtf16(k.key);
}

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
    const Key &target = kKeys[choices & 3];
    const Key &other = kKeys[(choices & 3) == 1 ? 0 : 1];

    const QString ini = fuzz::scratchPath(QStringLiteral("QCM.ini"));
    QFile::remove(ini);
    if (!(choices & 8))
        fuzz::writeBytes(ini, file);
    const QString absent = QStringLiteral("\n"); // no value read holds a line break
    const QString otherBefore = IniFile::readString(ini, sectionOf(other), keyOf(other), absent);

    QString error;
    if (!IniFile::writeString(ini, sectionOf(target), keyOf(target), value, &error)) {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(QFileInfo::exists(ini) == !(choices & 8));
        FUZZ_CHECK((choices & 8) || fuzz::readBytes(ini) == file);
        return 0;
    }
    FUZZ_CHECK(IniFile::readString(ini, sectionOf(target), keyOf(target), absent) == value);
    FUZZ_CHECK(IniFile::readString(ini, sectionOf(other), keyOf(other), absent) == otherBefore);
    // Writing the same again changes nothing.
    const QByteArray written = fuzz::readBytes(ini);
    FUZZ_CHECK(IniFile::writeString(ini, sectionOf(target), keyOf(target), value, &error));
    FUZZ_CHECK(fuzz::readBytes(ini) == written);
    return 0;
}
