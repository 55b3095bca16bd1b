#pragma once

#include "ExamPaper.h"
#include "ExamSession.h"

#include "state/QCMBas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <array>
#include <optional>

namespace qcm {

// The settings of the set-up box, kept in the settings file in their own
// section from one exam to the next.
namespace ExamSettingsFile {
ExamSettings read(const QString &iniPath);
void write(QCMBas &state, const ExamSettings &settings);
} // namespace ExamSettingsFile

// The set-up box of a mock exam: who sits it, on which paper (a stored
// questionnaire, or a draw balanced by domain among the ticked
// specialities), for how long, the pass mark and the rule for negative
// points. "Commencer" checks the choices and makes the paper; the box then
// closes accepted and start() holds the exam to store.
class fExamSetup : public QDialog {
    Q_OBJECT

public:
    // candidates: the names used on this computer, the last used first;
    // flags: every question's place and specialities, or why they could not be read.
    fExamSetup(QCMBas &state, const QStringList &candidates, QList<QuestionFlags> flags, QString flagsError,
        QWidget *parent = nullptr);
    ~fExamSetup() override;

    const std::optional<ExamStart> &start() const { return m_start; }

    QComboBox *candidate() const { return m_candidate; }
    QRadioButton *drawChoice() const { return m_draw; }
    QRadioButton *questionnaireChoice() const { return m_questionnaire; }
    QComboBox *questionnaires() const { return m_questionnaires; }
    QSpinBox *questionCount() const { return m_count; }
    QCheckBox *speciality(int i) const { return m_boxes.at(size_t(i)); }
    QLabel *available() const { return m_available; }
    QSpinBox *duration() const { return m_duration; }
    QSpinBox *passPercent() const { return m_pass; }
    QLabel *passMark() const { return m_passMark; }
    QRadioButton *floorEachQuestion() const { return m_floor; }
    QRadioButton *carryToTotal() const { return m_carry; }
    QPushButton *startButton() const { return m_startButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

    // "Commencer": checks, makes the paper and closes the box on success.
    void begin();

private:
    void build(const QStringList &candidates);
    void apply(const ExamSettings &settings);
    ExamSettings settings() const;
    void refresh();
    int paperSize() const;
    bool refuse(const QString &message, QWidget *field);

    QCMBas &m_state;
    QList<QuestionFlags> m_flags; // the bank's places and flags, read once
    QString m_flagsError;
    std::optional<ExamStart> m_start;
    QComboBox *m_candidate = nullptr;
    QRadioButton *m_draw = nullptr;
    QRadioButton *m_questionnaire = nullptr;
    QComboBox *m_questionnaires = nullptr;
    QSpinBox *m_count = nullptr;
    std::array<QCheckBox *, kSpecialityCount> m_boxes{};
    QLabel *m_available = nullptr;
    QSpinBox *m_duration = nullptr;
    QSpinBox *m_pass = nullptr;
    QLabel *m_passMark = nullptr;
    QRadioButton *m_floor = nullptr;
    QRadioButton *m_carry = nullptr;
    QPushButton *m_startButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

} // namespace qcm
