#pragma once

#include "ExamSession.h"
#include "ExamStrip.h"

#include "state/QCMBas.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>

namespace qcm {

class WrappedLabel;

// The exam being sat: one question at a time, shown as the practice window
// shows it but without its points; the strip of every question, the flag
// "À revoir", the time left, and "Rendre la copie". At 0 the paper is handed
// in by itself. The window keeps the whole program while it is open, so that
// no point can be looked up in the practice window meanwhile.
class fExam : public QWidget {
    Q_OBJECT

public:
    fExam(QCMBas &state, std::unique_ptr<ExamSession> session, QWidget *parent = nullptr);
    ~fExam() override;

    ExamSession &session() const { return *m_session; }

    QLabel *heading() const { return m_heading; }
    QLabel *timeLeft() const { return m_timeLeft; }
    QLabel *warning() const { return m_warning; }
    ExamStrip *strip() const { return m_strip; }
    QLabel *position() const { return m_position; }
    QLabel *domain() const { return m_domain; }
    QLabel *statement() const;
    QLabel *choice(int i) const;
    QCheckBox *tick(int i) const { return m_ticks.at(size_t(i)); }
    QCheckBox *flag() const { return m_flag; }
    QPushButton *previousButton() const { return m_previous; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *handInButton() const { return m_handIn; }
    QTimer *clock() const { return m_clock; }

    // What the clock runs: the time shown, the warnings, the hand-in at 0.
    void clockTick();
    // "Rendre la copie": asks first when questions are unanswered or flagged.
    void askHandIn();
    void showPosition(int position);

Q_SIGNALS:
    // The paper was handed in, by the candidate or by the clock.
    void handedIn(qint64 examId);
    // The time left was said to screen readers (and shown).
    void announced(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void showQuestion();
    void showTime();
    void onTickToggled(int slot, bool checked);
    void onFlagToggled(bool checked);
    bool finish(ExamState how);
    void warn(qint64 secondsLeft);
    void storeFailed(const QString &what, const StoreError &error);

    QCMBas &m_state;
    std::unique_ptr<ExamSession> m_session;
    QLabel *m_heading = nullptr;
    QLabel *m_timeLeft = nullptr;
    QLabel *m_warning = nullptr;
    ExamStrip *m_strip = nullptr;
    ExamStripModel *m_stripModel = nullptr;
    QFrame *m_panel = nullptr;
    QLabel *m_position = nullptr;
    QLabel *m_domain = nullptr;
    WrappedLabel *m_statement = nullptr;
    std::array<WrappedLabel *, kChoiceCount> m_choices{};
    std::array<QCheckBox *, kChoiceCount> m_ticks{};
    QCheckBox *m_flag = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_handIn = nullptr;
    QTimer *m_clock = nullptr;
    qint64 m_lastSaved = 0;
    int m_warnedAt = -1; // the last warning given, in minutes left
    bool m_over = false;
};

} // namespace qcm
