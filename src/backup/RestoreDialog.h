#pragma once

#include "BackupFiles.h"
#include "state/QCMBas.h"

#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QTreeView>

namespace qcm {

// "Restaurer une sauvegarde…": the backups of the bank in use, with what
// each holds, what restoring the chosen one would change, and the restore
// itself, which backs up the bank first so that it can be undone.
class RestoreDialog : public QDialog {
    Q_OBJECT

public:
    explicit RestoreDialog(QCMBas &state, QWidget *parent = nullptr);

    QTreeView *lstSauvegardes() const { return m_list; }
    QLabel *lblDifferences() const { return m_summary; }
    QListView *lstDifferences() const { return m_differences; }
    QPushButton *cmdRestaurer() const { return m_restore; }
    // Whether a restore was made while the dialog was open.
    bool restored() const { return m_restored; }
    // Chooses the backup at that row of the list.
    void choose(int row);
    void restoreChosen();

private:
    void fill();
    void showDifferences();
    QString chosenPath() const;

    QCMBas &m_state;
    QList<BackupFiles::Backup> m_backups;
    QStandardItemModel *m_model = nullptr;
    QTreeView *m_list = nullptr;
    QLabel *m_empty = nullptr;
    QLabel *m_summary = nullptr;
    QStringListModel *m_lines = nullptr;
    QListView *m_differences = nullptr;
    QPushButton *m_restore = nullptr;
    bool m_restored = false;
};

} // namespace qcm
