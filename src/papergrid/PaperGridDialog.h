#pragma once

#include "PaperGrid.h"

#include "state/QCMBas.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace qcm {

// The grid's rows as the box lists them: number, first words, letters.
class PaperGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit PaperGridModel(PaperGrid &grid, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void reset();
    void rowChanged(int row);

private:
    PaperGrid &m_grid;
};

// "Saisir une copie papier": the stored questionnaire, the candidate, then
// the printed grid typed row after row (Enter for the next row), each row
// open to correction until "Enregistrer" marks and stores the copy.
class PaperGridDialog : public QDialog {
    Q_OBJECT

public:
    PaperGridDialog(QCMBas &state, ResultsStore &store, QWidget *parent = nullptr);

    QComboBox *questionnaire() const { return m_questionnaire; }
    QComboBox *candidate() const { return m_candidate; }
    QDateEdit *date() const { return m_date; }
    QLineEdit *answers() const { return m_answers; }
    QLabel *rowHeading() const { return m_rowHeading; }
    QLabel *message() const { return m_message; }
    QLabel *progress() const { return m_progress; }
    QTableView *rows() const { return m_rows; }
    QPushButton *saveButton() const { return m_save; }
    int currentRow() const { return m_current; }
    const PaperGrid &grid() const { return m_grid; }
    // The copy stored by "Enregistrer", its id filled in.
    const std::optional<ExamRecord> &stored() const { return m_stored; }

    // Puts a row before the typist, its letters ready to be typed over.
    void goToRow(int row);
    // Enter: the row's letters kept, then the next row.
    void commitRow();
    void save();
    void reject() override;

private:
    void loadQuestionnaire();
    void answersEdited(const QString &text);
    void refuse(const QString &why);
    void updateProgress();

    QCMBas &m_state;
    ResultsStore &m_store;
    ExamSettings m_rules;
    PaperGrid m_grid;
    QString m_paperName;
    int m_current = 0;
    QString m_lastGood;
    std::optional<ExamRecord> m_stored;
    PaperGridModel *m_model = nullptr;
    QComboBox *m_questionnaire = nullptr;
    QComboBox *m_candidate = nullptr;
    QDateEdit *m_date = nullptr;
    QLabel *m_rulesText = nullptr;
    QTableView *m_rows = nullptr;
    QLabel *m_rowHeading = nullptr;
    QLineEdit *m_answers = nullptr;
    QLabel *m_message = nullptr;
    QLabel *m_progress = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_cancel = nullptr;
};

// Opens the box over parent; true when a copy was stored.
bool enterPaperGrid(QCMBas &state, ResultsStore &store, QWidget *parent);

} // namespace qcm
