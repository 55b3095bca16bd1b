#include "ExportDialog.h"

#include "ui/Pictures.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qcm {

namespace {

QString questionCount(qint64 n)
{
    return n > 1 ? QStringLiteral("%1 questions").arg(QLocale(QLocale::French).toString(n))
                 : QStringLiteral("%1 question").arg(n);
}

} // namespace

ExportDialog::ExportDialog(const QList<DomainEntry> &domains, qint64 totalQuestions, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(QStringLiteral("Exporter la base"));
    setWindowIcon(appIcon());

    auto *heading = new QLabel(QStringLiteral("Questions à exporter :"), this);
    m_whole = new QRadioButton(
        QStringLiteral("&Toute la base (%1, %2 domaines)").arg(questionCount(totalQuestions)).arg(domains.size()),
        this);
    m_ticked = new QRadioButton(QStringLiteral("Les &domaines cochés :"), this);
    m_whole->setChecked(true);

    m_list = new QListWidget(this);
    m_list->setAccessibleName(QStringLiteral("Domaines à exporter"));
    m_list->setUniformItemSizes(true);
    for (const DomainEntry &entry : domains) {
        auto *item = new QListWidgetItem(
            QStringLiteral("%1  %2 (%3)").arg(entry.domain.code, entry.domain.libelle, questionCount(entry.questions)),
            m_list);
        item->setData(Qt::UserRole, entry.domain.code);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // Ticking a domain is choosing to export by domain.
    connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (item->checkState() == Qt::Checked)
            m_ticked->setChecked(true);
        updateButton();
    });
    connect(m_ticked, &QRadioButton::toggled, this, &ExportDialog::updateButton);

    auto *buttons = new QDialogButtonBox(this);
    m_export = buttons->addButton(QStringLiteral("&Exporter…"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    m_export->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // The list sits under its choice, as a part of it.
    auto *listRow = new QHBoxLayout;
    listRow->setContentsMargins(24, 0, 0, 0);
    listRow->addWidget(m_list);
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->addWidget(heading);
    layout->addWidget(m_whole);
    layout->addWidget(m_ticked);
    layout->addLayout(listRow, 1);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    m_list->setSpacing(2);
    resize(500, 400);
}

std::optional<QStringList> ExportDialog::chosenCodes() const
{
    if (m_whole->isChecked())
        return std::nullopt;
    QStringList codes;
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->checkState() == Qt::Checked)
            codes << m_list->item(i)->data(Qt::UserRole).toString();
    return codes;
}

void ExportDialog::updateButton()
{
    const auto codes = chosenCodes();
    m_export->setEnabled(!codes || !codes->isEmpty());
}

} // namespace qcm
