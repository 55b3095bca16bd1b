#pragma once

#include "QuestionEditor.h"
#include "ui/ControlArray.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>

#include <set>

namespace qcm {

// The question editor window, modal over the practice window. Controls keep
// the indexes the procedures know them by: txt(0..15), lbl(0..13), cmd(0..11),
// chkOpt(0..6) and the domain list lstDom. txt(3) and the choice texts are
// multi-line; lbl(12) and lbl(13) are headings that can be pressed.
class fSaisie : public QDialog, public EditorView {
    Q_OBJECT

public:
    explicit fSaisie(QCMBas &state, QWidget *parent = nullptr);
    ~fSaisie() override;

    QuestionEditor &procedures() { return m_procedures; }
    void FillEditorDomainList() { m_procedures.FillEditorDomainList(); }

    QWidget *txt(int i) const { return m_txt(i); }
    QWidget *lbl(int i) const { return m_lbl(i); }
    QPushButton *cmd(int i) const { return m_cmd(i); }
    QCheckBox *chkOpt(int i) const { return m_chkOpt(i); }
    QTreeView *lstDom() const { return m_lstDom; }
    QPushButton *cmdExport() const { return m_cmdExport; }
    QPushButton *cmdImport() const { return m_cmdImport; }

    // After questions came in from outside: the lists and the question shown
    // follow the bank, what the user typed and did not save stays.
    void bankImported();

    // EditorView
    QString text(int index) const override;
    void setText(int index, const QString &text) override;
    void setFocusTo(int index) override;
    bool isChecked(int index) const override;
    void setChecked(int index, bool checked) override;
    void showDomains(const QList<Domain> &domains) override;
    int selectedDomain() const override;
    void selectDomain(int position) override;

signals:
    // "Exporter la base…" and "Importer des questions…", answered by the program.
    void exportRequested();
    void importRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void onCommand(int index);
    void showReference();
    void emphasise(int box, bool checked);

    QCMBas &m_state;
    QuestionEditor m_procedures;
    ControlArray<QWidget> m_txt{QStringLiteral("txt")};
    ControlArray<QWidget> m_lbl{QStringLiteral("lbl")};
    ControlArray<QPushButton> m_cmd{QStringLiteral("cmd")};
    ControlArray<QCheckBox> m_chkOpt{QStringLiteral("chkOpt")};
    QTreeView *m_lstDom = nullptr;
    QPushButton *m_cmdExport = nullptr;
    QPushButton *m_cmdImport = nullptr;
    QStandardItemModel *m_domainModel = nullptr;
    // Set while the program itself selects in the list: only the user's
    // choice of a domain runs the selection event.
    bool m_selecting = false;
    QString m_numberOnEntry;
    // Keys pressed in a field and not released yet.
    std::set<std::pair<QObject *, int>> m_keysPressed;
};

} // namespace qcm
