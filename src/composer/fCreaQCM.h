#pragma once

#include "BankReader.h"
#include "CandidateModel.h"
#include "ComposerRules.h"
#include "state/QCMBas.h"
#include "ui/ControlArray.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStringListModel>
#include <QTabWidget>
#include <QWidget>

#include <array>
#include <optional>

namespace qcm {

class FilteredSelection;
class QuestionFilterField;

// The questionnaire composer: the bank's questions of the ticked
// specialities, of which 60 are chosen by hand or at random, then named,
// dated, stored, reopened, corrected and deleted. Modeless; hidden, not
// destroyed, when closed. Controls keep the indexes the program knows them
// by: chkOpt(i), lbl(i), txt(i), cmd(i), lstQCM(i), lblRep(i).
class fCreaQCM : public QWidget {
    Q_OBJECT

public:
    explicit fCreaQCM(QCMBas &state, QWidget *parent = nullptr);
    ~fCreaQCM() override;

    // Rebuilds the candidate list from the bank and the ticked boxes.
    void QCMListe();
    // The status line, the second list and the preview, from the selection.
    void UpdateQcmStatus();
    // Replaces the selection by 60 entries drawn at random.
    void SelectRandom60();
    // Refills the list of questionnaires and chooses the entry of that name,
    // or the first one.
    void FillQcmCombo(const QString &choice = {});
    // Loads a stored questionnaire: fields, boxes, selection.
    void OpenQcm(const QString &name);
    // Acts on the entry of cmbQCM: a new questionnaire or a stored one.
    void ApplyComboChoice();
    // Checks and stores; true once stored.
    bool SaveQcm();
    void DeleteQcm();

    // What cmbQCM shows (read by the reports window).
    QString currentChoice() const;
    // Closes without asking about unsaved work: the database is being given up.
    void discard();

    QCheckBox *chkOpt(int i) const { return m_chkOpt.at(size_t(i)); }
    QLabel *lbl(int i) const { return m_lbl(i); }
    QLineEdit *txt(int i) const { return m_txt(i); }
    QPushButton *cmd(int i) const { return m_cmd(i); }
    QLabel *lblRep(int i) const { return m_lblRep(i); }
    QListView *lstQCM(int i) const { return i == 0 ? m_candidatesView : m_questionnaireView; }
    QComboBox *cmbQCM() const { return m_cmbQCM; }
    QTabWidget *SSTab1() const { return m_tabs; }
    QMenu *mnuPopup() const { return m_mnuPopup; }
    QAction *mnuPop(int i) const { return m_mnuPop(i); }
    QMenu *mnuPopupModif() const { return m_mnuPopupModif; }
    QAction *mnuPopModif(int i) const { return m_mnuPopModif(i); }
    const CandidateModel &candidates() const { return *m_candidates; }
    // The field that narrows the candidate list (Ctrl+F); hidden entries stay selected.
    QuestionFilterField *txtFiltre() const { return m_filter; }
    QStringList questionnaireLines() const { return m_questionnaire->stringList(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QWidget *buildSpecialityPanel();
    QWidget *buildQuestionnairePanel();
    QWidget *buildTabs();
    void onCommand(int index);
    void onBoxChanged(int index, bool byMouse);
    void onBoxOtherButton(int index, const QPoint &globalPos);
    void onLabelClicked(int index);
    void onComboClicked();
    void onNameEdited();
    void onCorrection(int index);
    void correctStatement(const QString &newLine, int position);
    void showSpecialityMenu(const QPoint &globalPos);
    void showCorrectionMenu(int target, const QPoint &globalPos);
    void onListRightButton(int list, const QPoint &pos, const QPoint &globalPos);
    void refreshPreview();
    void clearPreview();
    SpecialityTicks ticked() const;
    std::vector<int> selectedCandidates() const;
    void selectCandidates(const std::vector<int> &rows, bool keepOthers);
    void clearSelection();
    void setCurrentCandidate(int row);
    void userChangedSelection();
    void userMovedCurrent();
    void flushPendingStatus();
    void reportStoreError(const StoreError &error, const QString &what, const QString &procedure, const QString &title);
    void reportWorkingCopy(const QString &error);
    template <typename Change> auto keepingBank(Change change);
    bool listedAsTicked() const;
    void relistSameEntries();
    bool readStored(const QString &name, StoredQuestionnaire &stored, StoreError *error);

    QCMBas &m_state;
    std::array<QCheckBox *, kSpecialityCount> m_chkOpt{};
    ControlArray<QLabel> m_lbl{QStringLiteral("lbl")};
    ControlArray<QLineEdit> m_txt{QStringLiteral("txt")};
    ControlArray<QPushButton> m_cmd{QStringLiteral("cmd")};
    ControlArray<QLabel> m_lblRep{QStringLiteral("lblRep")};
    ControlArray<QAction> m_mnuPop{QStringLiteral("mnuPop")};
    ControlArray<QAction> m_mnuPopModif{QStringLiteral("mnuPopModif")};
    QComboBox *m_cmbQCM = nullptr;
    QTabWidget *m_tabs = nullptr;
    QListView *m_candidatesView = nullptr;
    QListView *m_questionnaireView = nullptr;
    CandidateModel *m_candidates = nullptr;
    // The candidate list's selection is that of every candidate, shown or not.
    FilteredSelection *m_candidateFilter = nullptr;
    QuestionFilterField *m_filter = nullptr;
    QStringListModel *m_questionnaire = nullptr;
    CandidateCache m_bank;
    // The ticks the candidate list was last filled for, from m_bank as it is.
    std::optional<SpecialityTicks> m_listedTicks;
    // The questionnaire last read, kept while the file is unchanged: opening
    // one applies it before and after the list is filled.
    struct OpenedQuestionnaire {
        QString name;
        std::weak_ptr<Connection> connection;
        DataVersion version;
        StoredQuestionnaire stored;
    };
    std::optional<OpenedQuestionnaire> m_opened;
    QMenu *m_mnuPopup = nullptr;
    QMenu *m_mnuPopupModif = nullptr;
    QCursor m_hand;

    std::array<QLabel *, kChoiceCount> m_letters{};
    // The choice texts the preview shows, for their correction.
    std::array<QString, kChoiceCount> m_previewChoices;
    // Selection and focus changes made by the program itself are not the user's.
    bool m_programChange = false;
    bool m_statusPending = false;
    bool m_flushQueued = false;
};

} // namespace qcm
