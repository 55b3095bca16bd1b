#include "RecentBanks.h"

#include "state/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace qcm::RecentBanks {

namespace {

const QString kSection = QStringLiteral("Bases récentes");

QString key(int i)
{
    return QStringLiteral("Base%1").arg(i + 1);
}

QString normalized(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList read(const QString &settingsPath)
{
    QStringList banks;
    for (int i = 0; i < kCount; ++i) {
        const QString bank = IniFile::readString(settingsPath, kSection, key(i), {});
        if (!bank.isEmpty() && !banks.contains(normalized(bank)))
            banks << normalized(bank);
    }
    return banks;
}

bool write(const QString &settingsPath, const QStringList &banks, QString *error)
{
    for (int i = 0; i < kCount; ++i)
        if (!IniFile::writeString(settingsPath, kSection, key(i), banks.value(i), error))
            return false;
    return true;
}

QStringList withFirst(const QStringList &banks, const QString &bank)
{
    QStringList list{normalized(bank)};
    for (const QString &b : banks)
        if (!list.contains(normalized(b)) && list.size() < kCount)
            list << normalized(b);
    return list;
}

void follow(QCMBas &state)
{
    QObject::connect(&state, &QCMBas::baseCaptionChanged, &state, [&state] {
        const QStringList before = read(state.IniPath);
        const QStringList after = withFirst(before, state.DbPath);
        // Written only when it changes: the bank is bound again after every copy.
        if (after != before)
            write(state.IniPath, after);
    });
}

} // namespace qcm::RecentBanks
