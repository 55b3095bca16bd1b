#include "RecentBanksMenu.h"

#include "RecentBanks.h"

#include <QDir>
#include <QFileInfo>

namespace qcm {

QMenu *recentBanksMenu(QCMBas &state, QWidget *parent)
{
    const QStringList banks = RecentBanks::read(state.IniPath);
    const QString current = QDir::cleanPath(QFileInfo(state.DbPath).absoluteFilePath());
    if (banks.isEmpty() || (banks.size() == 1 && banks.first() == current))
        return nullptr;

    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("mnuBasesRecentes"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setToolTipsVisible(true);
    QAction *browse = menu->addAction(QStringLiteral("&Parcourir…"));
    browse->setObjectName(QStringLiteral("mnuParcourir"));
    QObject::connect(browse, &QAction::triggered, &state, &QCMBas::ChooseDatabase, Qt::QueuedConnection);
    menu->addSection(QStringLiteral("Bases récentes"));
    QStringList missing;
    for (int i = 0; i < banks.size(); ++i) {
        const QString &bank = banks.at(i);
        const QFileInfo file(bank);
        const bool exists = file.isFile();
        QString text = QStringLiteral("&%1  %2    %3")
                           .arg(i + 1)
                           .arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath()));
        if (!exists) {
            text += QStringLiteral("  (introuvable)");
            missing << bank;
        }
        QAction *action = menu->addAction(text);
        action->setObjectName(QStringLiteral("mnuBase%1").arg(i + 1));
        action->setToolTip(bank);
        action->setEnabled(exists);
        if (bank == current) {
            action->setCheckable(true);
            action->setChecked(true);
            action->setToolTip(bank + QStringLiteral(" (la base en service)"));
        }
        QObject::connect(
            action, &QAction::triggered, &state,
            [&state, bank, current] {
                if (bank != current)
                    state.openRecentDatabase(bank);
            },
            Qt::QueuedConnection);
    }
    menu->addSeparator();
    QAction *forget = menu->addAction(QStringLiteral("&Retirer les bases introuvables de la liste"));
    forget->setObjectName(QStringLiteral("mnuRetirer"));
    forget->setEnabled(!missing.isEmpty());
    QObject::connect(forget, &QAction::triggered, &state, [&state, missing] {
        QStringList kept = RecentBanks::read(state.IniPath);
        for (const QString &bank : missing)
            kept.removeAll(bank);
        QString why;
        if (!RecentBanks::write(state.IniPath, kept, &why))
            state.dialogs().MoxBox(
                why, Icon::Error, QStringLiteral("Paramètres non enregistrés"), QStringLiteral("OK"));
    });
    return menu;
}

} // namespace qcm
