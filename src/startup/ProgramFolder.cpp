#include "ProgramFolder.h"

#include "FileOps.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace qcm {

QString resolveProgramFolder(const QString &executableFolder)
{
    const QDir exe(executableFolder);
    if (exe.exists(QString::fromLatin1(kDefaultBankName)) || exe.exists(QStringLiteral("QCM.ini")))
        return exe.absolutePath();

    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    for (const QString &shipped :
        {exe.filePath(QStringLiteral("../share/qcm")), exe.filePath(QStringLiteral("share/qcm"))}) {
        const QDir from(shipped);
        if (!from.exists())
            continue;
        for (const QFileInfo &file : from.entryInfoList(QDir::Files)) {
            const QString target = QDir(data).filePath(file.fileName());
            if (!QFileInfo::exists(target))
                copyFileAtomic(file.absoluteFilePath(), target, nullptr);
        }
        break;
    }
    return data;
}

} // namespace qcm
