#pragma once

#include "database/Records.h"

#include <QDialog>
#include <QList>
#include <QStringList>

#include <optional>

class QListWidget;
class QPushButton;
class QRadioButton;

namespace qcm {

// "Exporter la base": the whole bank, or the domains ticked in a list.
class ExportDialog : public QDialog {
    Q_OBJECT

public:
    struct DomainEntry {
        Domain domain;
        qint64 questions = 0;
    };

    ExportDialog(const QList<DomainEntry> &domains, qint64 totalQuestions, QWidget *parent = nullptr);

    // Nothing for the whole bank, else the codes of the ticked domains.
    std::optional<QStringList> chosenCodes() const;

    QRadioButton *wholeBank() const { return m_whole; }
    QRadioButton *tickedDomains() const { return m_ticked; }
    QListWidget *domainList() const { return m_list; }
    QPushButton *exportButton() const { return m_export; }

private:
    void updateButton();

    QRadioButton *m_whole = nullptr;
    QRadioButton *m_ticked = nullptr;
    QListWidget *m_list = nullptr;
    QPushButton *m_export = nullptr;
};

} // namespace qcm
