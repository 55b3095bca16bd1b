#pragma once

#include "BankSearch.h"

#include <QAbstractListModel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QTimer>

namespace qcm {

// The results of a search as a list: each question found, or one line
// saying why there is none.
class SearchResultsModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { HtmlRole = Qt::UserRole + 1, CodeRole, NumeroRole };

    using QAbstractListModel::QAbstractListModel;
    void setHits(const QList<SearchHit> &hits, const QStringList &words);
    void setMessage(const QString &message);
    const QList<SearchHit> &hits() const { return m_hits; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QList<SearchHit> m_hits;
    QStringList m_html;
    QStringList m_plain;
    QString m_message;
};

// A search box over the bank: results come as one types, after a short
// pause, in a list under the box; a click or Enter on one (or Enter in the
// box, for the first) hands it over. Up and Down move through the results
// while the focus stays in the box, so typing never waits for the list.
class SearchField : public QLineEdit {
    Q_OBJECT

public:
    explicit SearchField(QCMBas &state, QWidget *parent = nullptr);
    ~SearchField() override;

    // Ctrl+F in that window brings the focus here.
    void addFindShortcut(QWidget *window);
    // Runs the search waiting for the pause at once.
    void searchNow();

    QListView *resultList() const { return m_list; }
    bool resultsShown() const { return m_list && m_list->isVisible(); }
    const SearchResultsModel &results() const { return *m_model; }

signals:
    void questionChosen(const QString &code, qint64 numero);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void runSearch();
    void showResults();
    void hideResults();
    void place();
    void moveCurrent(int by);
    void choose(const QModelIndex &index);

    QCMBas &m_state;
    QTimer m_pause;
    SearchResultsModel *m_model = nullptr;
    QPointer<QListView> m_list;
    QString m_searched;
};

} // namespace qcm
