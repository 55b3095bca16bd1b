#pragma once

#include "ExamRecords.h"
#include "ExamReview.h"

#include "reports/ReportEngine.h"
#include "state/QCMBas.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTextBrowser>
#include <QWidget>

#include <functional>

namespace qcm {

// The results of a paper handed in: the mark out of the maximum and in
// percent, "Reçu" or "Ajourné" in colour and in words, the time used, the
// domains weakest first with a bar each, and the review of every question,
// or of the mistakes only. From here the missed questions are sat again,
// untimed, and the result sheet saved as a PDF.
class fExamResult : public QWidget {
    Q_OBJECT

public:
    fExamResult(QCMBas &state, ExamRecord exam, QWidget *parent = nullptr);
    ~fExamResult() override;

    const ExamRecord &exam() const { return m_exam; }

    QLabel *heading() const { return m_heading; }
    QLabel *mark() const { return m_mark; }
    QLabel *verdict() const { return m_verdict; }
    QLabel *details() const { return m_details; }
    QTableView *domains() const { return m_domains; }
    QCheckBox *mistakesOnly() const { return m_mistakesOnly; }
    QTextBrowser *review() const { return m_review; }
    QPushButton *retakeButton() const { return m_retake; }
    QPushButton *pdfButton() const { return m_pdf; }
    QPushButton *closeButton() const { return m_close; }

    // "Enregistrer en PDF": asks for the file, then writes the sheet whole or not at all.
    void savePdf();
    // Tests replace the report run to watch what it is given.
    void setReportRunner(std::function<ReportOutcome(const ReportRequest &)> run) { m_runReport = std::move(run); }

Q_SIGNALS:
    // "Refaire les questions manquées".
    void retakeRequested(const ExamRecord &exam);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void build();
    void showReview();

    QCMBas &m_state;
    ExamRecord m_exam;
    std::function<ReportOutcome(const ReportRequest &)> m_runReport;
    QLabel *m_heading = nullptr;
    QLabel *m_mark = nullptr;
    QLabel *m_verdict = nullptr;
    QLabel *m_details = nullptr;
    QTableView *m_domains = nullptr;
    QCheckBox *m_mistakesOnly = nullptr;
    QTextBrowser *m_review = nullptr;
    QPushButton *m_retake = nullptr;
    QPushButton *m_pdf = nullptr;
    QPushButton *m_close = nullptr;
    QTextDocument *m_reviewDocument = nullptr; // written once the window is shown
};

} // namespace qcm
