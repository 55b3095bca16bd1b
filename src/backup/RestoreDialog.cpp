#include "RestoreDialog.h"

#include "BankBackups.h"
#include "BankRestore.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLocale>
#include <QVBoxLayout>

namespace qcm {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

enum Column { Date, Reason, Size, Questions, Domains, Questionnaires, ColumnCount };

QString sizeText(qint64 bytes)
{
    return QLocale(QLocale::French).formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString oneLine(const Question &q)
{
    QString statement = q.libelle;
    statement.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    statement.replace(u'\n', u' ');
    return q.code + u'.' + QString::number(q.numero) + QStringLiteral(" : ") + statement;
}

QString count(qsizetype n, const QString &one, const QString &many)
{
    return QString::number(n) + u' ' + (n <= 1 ? one : many);
}

} // namespace

RestoreDialog::RestoreDialog(QCMBas &state, QWidget *parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmRestaurer"));
    setWindowTitle(QStringLiteral("Restaurer une sauvegarde"));
    setModal(true);

    auto *heading
        = new QLabel(QStringLiteral("Sauvegardes de la base « %1 » :").arg(QFileInfo(state.DbPath).fileName()), this);
    heading->setToolTip(state.DbPath);
    m_model = new QStandardItemModel(0, ColumnCount, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Date"), QStringLiteral("Motif"), QStringLiteral("Taille"),
        QStringLiteral("Questions"), QStringLiteral("Domaines"), QStringLiteral("QCM")});
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("lstSauvegardes"));
    m_list->setAccessibleName(QStringLiteral("Sauvegardes de la base"));
    heading->setBuddy(m_list);
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(Reason, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &RestoreDialog::showDifferences);

    m_empty = new QLabel(QStringLiteral("Aucune sauvegarde de cette base pour l'instant. Une copie en est faite "
                                        "avant chaque suppression d'un domaine avec ses questions, chaque marquage "
                                        "par lot et chaque contrôle des points qui supprime des 0, ainsi qu'à la "
                                        "fermeture du programme quand la base a changé."),
        this);
    m_empty->setWordWrap(true);

    auto *box
        = new QGroupBox(QStringLiteral("Ce que la restauration changerait aux questions de la base actuelle"), this);
    m_summary = new QLabel(box);
    m_summary->setObjectName(QStringLiteral("lblDifferences"));
    m_summary->setAccessibleDescription(QStringLiteral("Résumé des différences"));
    m_summary->setWordWrap(true);
    m_summary->setTextFormat(Qt::PlainText);
    m_lines = new QStringListModel(this);
    m_differences = new QListView(box);
    m_differences->setObjectName(QStringLiteral("lstDifferences"));
    m_differences->setAccessibleName(QStringLiteral("Questions qui changeraient"));
    m_differences->setModel(m_lines);
    m_differences->setUniformItemSizes(true);
    m_differences->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(m_summary);
    boxLayout->addWidget(m_differences, 1);

    auto *buttons = new QDialogButtonBox(this);
    m_restore = buttons->addButton(QStringLiteral("&Restaurer"), QDialogButtonBox::ActionRole);
    m_restore->setObjectName(QStringLiteral("cmdRestaurer"));
    m_restore->setEnabled(false);
    QPushButton *close = buttons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    m_restore->setAutoDefault(false);
    connect(m_restore, &QPushButton::clicked, this, &RestoreDialog::restoreChosen);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_list, 2);
    layout->addWidget(m_empty);
    layout->addWidget(box, 3);
    layout->addWidget(buttons);
    resize(860, 600);
    fill();
}

void RestoreDialog::fill()
{
    m_backups = BackupFiles::list(BankBackups::of(m_state).folder());
    m_model->removeRows(0, m_model->rowCount());
    for (const BackupFiles::Backup &b : std::as_const(m_backups)) {
        QList<QStandardItem *> row;
        for (int c = 0; c < ColumnCount; ++c)
            row.append(new QStandardItem);
        row[Date]->setText(b.taken.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")));
        row[Reason]->setText(b.reason);
        row[Size]->setText(sizeText(b.size));
        if (const auto s = BankRestore::summarize(b.path)) {
            row[Questions]->setText(QString::number(s->questions));
            row[Domains]->setText(QString::number(s->domains));
            row[Questionnaires]->setText(QString::number(s->questionnaires));
        } else {
            row[Questions]->setText(QStringLiteral("illisible"));
        }
        for (int c : {Size, Questions, Domains, Questionnaires})
            row[c]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_model->appendRow(row);
    }
    m_empty->setVisible(m_backups.isEmpty());
    m_list->setVisible(!m_backups.isEmpty());
    if (!m_backups.isEmpty())
        choose(0);
    else
        showDifferences();
}

void RestoreDialog::choose(int row)
{
    if (row >= 0 && row < m_model->rowCount())
        m_list->selectionModel()->setCurrentIndex(
            m_model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QString RestoreDialog::chosenPath() const
{
    const int row = m_list->currentIndex().row();
    return row >= 0 && row < m_backups.size() ? m_backups.at(row).path : QString();
}

void RestoreDialog::showDifferences()
{
    const QString path = chosenPath();
    m_restore->setEnabled(!path.isEmpty());
    QStringList lines;
    if (path.isEmpty()) {
        m_summary->clear();
        m_lines->setStringList(lines);
        return;
    }
    QString why;
    const auto d = BankRestore::differences(m_state, path, &why);
    if (!d) {
        m_summary->setText(QStringLiteral("Les questions de cette sauvegarde ne peuvent pas être lues : ") + why);
        m_restore->setEnabled(false);
        m_lines->setStringList(lines);
        return;
    }
    if (d->isEmpty()) {
        m_summary->setText(QStringLiteral("Les questions de cette sauvegarde sont celles de la base actuelle."));
    } else {
        QStringList parts;
        if (!d->added.isEmpty())
            parts << count(
                d->added.size(), QStringLiteral("question reviendrait"), QStringLiteral("questions reviendraient"));
        if (!d->removed.isEmpty())
            parts << count(d->removed.size(), QStringLiteral("question disparaîtrait"),
                QStringLiteral("questions disparaîtraient"));
        if (!d->changed.isEmpty())
            parts << count(d->changed.size(), QStringLiteral("question retrouverait son état d'alors"),
                QStringLiteral("questions retrouveraient leur état d'alors"));
        m_summary->setText(QStringLiteral("Restaurer cette sauvegarde : ") + parts.join(QStringLiteral(", ")) + u'.');
    }
    for (const Question &q : d->added)
        lines << QStringLiteral("Reviendrait   ") + oneLine(q);
    for (const Question &q : d->removed)
        lines << QStringLiteral("Disparaîtrait  ") + oneLine(q);
    for (const auto &[now, then] : d->changed)
        lines << QStringLiteral("Modifiée   ") + oneLine(then);
    m_lines->setStringList(lines);
}

void RestoreDialog::restoreChosen()
{
    const QString path = chosenPath();
    const int row = m_list->currentIndex().row();
    if (path.isEmpty())
        return;
    const QString when = m_backups.at(row).taken.toString(QStringLiteral("dd/MM/yyyy à HH:mm:ss"));
    DialogService &dialogs = m_state.dialogs();
    if (dialogs.MoxBox(QStringLiteral("Remplacer la base actuelle par sa sauvegarde du %1 ?").arg(when) + kCrLf
                + QStringLiteral("La base actuelle sera d'abord sauvegardée : restaurer cette copie-là annulera la "
                                 "restauration."),
            Icon::Question, QStringLiteral("Restaurer une sauvegarde"), QStringLiteral("Restaurer"),
            QStringLiteral("Annuler"))
        != 0)
        return;
    const BankRestore::RestoreOutcome outcome = BankRestore::restore(m_state, path);
    m_restored = m_restored || outcome.restored;
    dialogs.MoxBox(outcome.message, outcome.restored ? Icon::Disk : Icon::Error,
        outcome.restored ? QStringLiteral("Restauration") : QStringLiteral("Restauration impossible"),
        QStringLiteral("OK"));
    fill();
}

} // namespace qcm
