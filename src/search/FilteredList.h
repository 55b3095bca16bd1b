#pragma once

#include "state/QCMBas.h"

#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <functional>
#include <vector>

namespace qcm {

// The rows of a one-column list that pass a test, in their order. Filled
// again whenever the list is.
class RowFilterProxy : public QAbstractProxyModel {
    Q_OBJECT

public:
    using Test = std::function<bool(int sourceRow)>;

    using QAbstractProxyModel::QAbstractProxyModel;
    void setSourceModel(QAbstractItemModel *source) override;
    // No test: every row.
    void setTest(Test test);
    bool isFiltering() const { return bool(m_test); }

    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QItemSelection mapSelectionToSource(const QItemSelection &selection) const override;
    QItemSelection mapSelectionFromSource(const QItemSelection &selection) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;

private:
    void refilter();
    int sourceRow(int row) const { return m_test ? m_rows[size_t(row)] : row; }

    Test m_test;
    std::vector<int> m_rows; // the source rows shown, ascending
};

// Shows a view only the rows of a list that pass a test, while the selection
// and the current row belong to the whole list: what is hidden stays
// selected, and a row selected while shown is selected in the whole list.
class FilteredSelection : public QObject {
    Q_OBJECT

public:
    FilteredSelection(QAbstractItemView *view, QAbstractItemModel *whole, QObject *parent = nullptr);

    // The selection over the whole list, what the program reads and sets.
    QItemSelectionModel *selection() const { return m_whole; }
    RowFilterProxy *proxy() const { return m_proxy; }
    void setTest(RowFilterProxy::Test test);
    // Where a row of the whole list stands in the view; invalid when hidden.
    QModelIndex toView(const QModelIndex &wholeIndex) const { return m_proxy->mapFromSource(wholeIndex); }

private:
    void showWholeSelection();

    QAbstractItemView *m_view;
    RowFilterProxy *m_proxy;
    QItemSelectionModel *m_whole;
    bool m_syncing = false;
};

// A field that narrows a list of questions as one types, by the same
// matching as the search: the questions whose statement or choices hold
// words starting with every typed word. questionOfRow gives a row's
// question: its code (a view that lasts while the list does) and number.
class QuestionFilterField : public QLineEdit {
    Q_OBJECT

public:
    using QuestionOfRow = std::function<std::pair<QStringView, qint64>(int row)>;

    QuestionFilterField(QCMBas &state, FilteredSelection &list, QuestionOfRow questionOfRow, QWidget *parent = nullptr);

    // Says how many rows are shown, or why the filter could not be applied.
    QLabel *countLabel() const { return m_count; }
    void addFindShortcut(QWidget *window);
    void filterNow();
    bool isFiltering() const { return m_list.proxy()->isFiltering(); }

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void apply();
    void showCount();

    QCMBas &m_state;
    FilteredSelection &m_list;
    QuestionOfRow m_questionOfRow;
    QTimer m_pause;
    QLabel *m_count = nullptr;
};

} // namespace qcm
