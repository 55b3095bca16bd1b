#pragma once

#include "mistakes/PracticeLog.h"
#include "state/QCMBas.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>

#include <memory>

namespace qcm {

class fQCM;

// The names offered are read when the list opens, not before: nothing is
// opened at start only to fill it.
class CandidateBox : public QComboBox {
    Q_OBJECT

public:
    explicit CandidateBox(QWidget *parent = nullptr);
    void setLog(PracticeLog *log) { m_log = log; }
    void showPopup() override;
    // Fills the list, keeping what is typed.
    void refill();

private:
    PracticeLog *m_log = nullptr;
};

// The practice window's side of the results: who is practising (no record
// without a name), each check recorded for them, and the practice of their
// mistakes in a list of its own beside the panel.
class MistakesPractice : public QObject {
    Q_OBJECT

public:
    MistakesPractice(fQCM &window, QCMBas &state);
    ~MistakesPractice() override;

    void setLog(std::unique_ptr<PracticeLog> log);
    CandidateBox *candidateBox() const { return m_candidate; }
    // The box with its caption, for the panel's top row.
    QWidget *candidateField() const { return m_field; }
    QFrame *pane() const { return m_pane; }
    QListView *list() const { return m_list; }
    QLabel *heading() const { return m_heading; }
    QPushButton *backButton() const { return m_back; }
    bool active() const { return !m_pane->isHidden(); }

    // "Contrôle de la question": recorded for the candidate named, if any.
    void checked();
    // Opens the list of the candidate's mistakes; false when there is none to practise.
    bool start(const QString &candidate);
    // Back to the domains, on the domain's question left.
    void leave();
    // The mistake on view, shown again as the window shows its question
    // again when it takes its turn.
    void showCurrent() { show(m_current); }
    // Previous (-1) or next (+1) mistake.
    void step(int delta);
    // Beside the panel, after the window has placed it.
    void place();

private:
    struct ListedMistake {
        Mistake mistake;
        Question question;
    };
    void show(int row);
    QString entryText(const ListedMistake &entry) const;
    void setActive(bool on);

    fQCM &m_window;
    QCMBas &m_state;
    std::unique_ptr<PracticeLog> m_log;
    QWidget *m_field = nullptr;
    CandidateBox *m_candidate = nullptr;
    QFrame *m_pane = nullptr;
    QLabel *m_heading = nullptr;
    QListView *m_list = nullptr;
    QStringListModel *m_model = nullptr;
    QPushButton *m_back = nullptr;
    QList<ListedMistake> m_entries;
    QString m_practising;
    int m_current = -1;
};

} // namespace qcm
