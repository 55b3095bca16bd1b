#pragma once

#include "ImportPlan.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
class QTextBrowser;
class QWidget;

namespace qcm {

// The rows of one list of a plan, read where they are: a plan may hold the
// whole bank.
class PlanListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum class List { Added, Replacements, Refused };

    PlanListModel(List list, QObject *parent = nullptr);
    void setPlan(const ImportPlan *plan);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    List m_list;
    const ImportPlan *m_plan = nullptr;
};

// "Importer des questions": what the import would do, before anything is
// written. The user adds only the new questions, also replaces those stored
// under the same domain and number, or gives up; questions without any
// speciality may be given some here.
class ImportPreview : public QDialog {
    Q_OBJECT

public:
    enum Choice { Cancelled = 0, AddNew, AddAndReplace };

    ImportPreview(const ImportPlanner &planner, const QString &fileName, QWidget *parent = nullptr);
    ~ImportPreview() override;

    Choice choice() const { return m_choice; }
    const ImportPlan &plan() const { return m_plan; }

    QPushButton *addButton() const { return m_add; }
    QPushButton *replaceButton() const { return m_replace; }
    QPushButton *cancelButton() const { return m_cancel; }
    QCheckBox *givenSpeciality(int s) const { return m_given[size_t(s)]; }
    QTabWidget *tabs() const { return m_tabs; }
    QTableView *list(PlanListModel::List which) const;
    QLabel *summary() const { return m_summary; }
    // The replacement shown side by side: stored, then from the file.
    QTextBrowser *storedSide() const { return m_stored; }
    QTextBrowser *incomingSide() const { return m_incoming; }

private:
    void replan();
    void showReplacement(int row);
    void finish(Choice choice);

    const ImportPlanner &m_planner;
    QString m_fileName;
    ImportPlan m_plan;
    Choice m_choice = Cancelled;
    QLabel *m_summary = nullptr;
    QWidget *m_givenRow = nullptr;
    std::array<QCheckBox *, kSpecialityCount> m_given{};
    QTabWidget *m_tabs = nullptr;
    std::array<PlanListModel *, 3> m_models{};
    std::array<QTableView *, 3> m_views{};
    QTextBrowser *m_stored = nullptr;
    QTextBrowser *m_incoming = nullptr;
    QLabel *m_notes = nullptr;
    QWidget *m_notesPage = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_replace = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace qcm
