#include "FilteredList.h"

#include "BankSearch.h"
#include "SearchText.h"

#include <QKeyEvent>
#include <QShortcut>

#include <algorithm>

namespace qcm {

// ---------------------------------------------------------------------------
// RowFilterProxy

void RowFilterProxy::setSourceModel(QAbstractItemModel *source)
{
    beginResetModel();
    if (sourceModel())
        disconnect(sourceModel(), nullptr, this, nullptr);
    QAbstractProxyModel::setSourceModel(source);
    if (source) {
        // The lists filtered here are filled in one reset; any other change
        // is taken the same way.
        connect(source, &QAbstractItemModel::modelAboutToBeReset, this, &RowFilterProxy::beginResetModel);
        connect(source, &QAbstractItemModel::modelReset, this, [this] {
            refilter();
            endResetModel();
        });
        const auto again = [this] {
            beginResetModel();
            refilter();
            endResetModel();
        };
        connect(source, &QAbstractItemModel::rowsInserted, this, again);
        connect(source, &QAbstractItemModel::rowsRemoved, this, again);
        connect(source, &QAbstractItemModel::rowsMoved, this, again);
        connect(source, &QAbstractItemModel::layoutChanged, this, again);
        connect(source, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                for (int row = from.row(); row <= to.row(); ++row)
                    if (const QModelIndex shown = mapFromSource(sourceModel()->index(row, 0)); shown.isValid())
                        Q_EMIT dataChanged(shown, shown, roles);
            });
    }
    refilter();
    endResetModel();
}

void RowFilterProxy::setTest(Test test)
{
    beginResetModel();
    m_test = std::move(test);
    refilter();
    endResetModel();
}

void RowFilterProxy::refilter()
{
    m_rows.clear();
    if (!m_test || !sourceModel())
        return;
    const int count = sourceModel()->rowCount();
    for (int row = 0; row < count; ++row)
        if (m_test(row))
            m_rows.push_back(row);
}

QModelIndex RowFilterProxy::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || !sourceModel())
        return {};
    return sourceModel()->index(sourceRow(proxyIndex.row()), proxyIndex.column());
}

QModelIndex RowFilterProxy::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != sourceModel())
        return {};
    if (!m_test)
        return index(sourceIndex.row(), sourceIndex.column());
    const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), sourceIndex.row());
    if (it == m_rows.end() || *it != sourceIndex.row())
        return {};
    return index(int(it - m_rows.begin()), sourceIndex.column());
}

// Ranges map to ranges: shown rows keep their order.
QItemSelection RowFilterProxy::mapSelectionFromSource(const QItemSelection &selection) const
{
    QItemSelection shown;
    for (const QItemSelectionRange &range : selection) {
        if (range.model() != sourceModel())
            continue;
        int first = range.top(), last = range.bottom();
        if (m_test) {
            first = int(std::lower_bound(m_rows.begin(), m_rows.end(), range.top()) - m_rows.begin());
            last = int(std::upper_bound(m_rows.begin(), m_rows.end(), range.bottom()) - m_rows.begin()) - 1;
        }
        if (first <= last)
            shown.append(QItemSelectionRange(index(first, 0), index(last, 0)));
    }
    return shown;
}

QItemSelection RowFilterProxy::mapSelectionToSource(const QItemSelection &selection) const
{
    QItemSelection whole;
    for (const QItemSelectionRange &range : selection) {
        if (range.model() != this)
            continue;
        int row = range.top();
        while (row <= range.bottom()) {
            // One range per run of consecutive source rows.
            int end = row;
            while (end < range.bottom() && sourceRow(end + 1) == sourceRow(end) + 1)
                ++end;
            whole.append(
                QItemSelectionRange(sourceModel()->index(sourceRow(row), 0), sourceModel()->index(sourceRow(end), 0)));
            row = end + 1;
        }
    }
    return whole;
}

QModelIndex RowFilterProxy::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || column != 0 || row < 0 || row >= rowCount())
        return {};
    return createIndex(row, column);
}

QModelIndex RowFilterProxy::parent(const QModelIndex &) const
{
    return {};
}

int RowFilterProxy::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !sourceModel())
        return 0;
    return m_test ? int(m_rows.size()) : sourceModel()->rowCount();
}

int RowFilterProxy::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

// ---------------------------------------------------------------------------
// FilteredSelection

FilteredSelection::FilteredSelection(QAbstractItemView *view, QAbstractItemModel *whole, QObject *parent)
    : QObject(parent), m_view(view)
{
    m_proxy = new RowFilterProxy(this);
    m_proxy->setSourceModel(whole);
    m_whole = new QItemSelectionModel(whole, this);
    view->setModel(m_proxy);
    QItemSelectionModel *shown = view->selectionModel();

    connect(m_whole, &QItemSelectionModel::selectionChanged, this,
        [this, shown](const QItemSelection &selected, const QItemSelection &deselected) {
            if (m_syncing)
                return;
            m_syncing = true;
            shown->select(m_proxy->mapSelectionFromSource(deselected), QItemSelectionModel::Deselect);
            shown->select(m_proxy->mapSelectionFromSource(selected), QItemSelectionModel::Select);
            m_syncing = false;
        });
    connect(shown, &QItemSelectionModel::selectionChanged, this,
        [this](const QItemSelection &selected, const QItemSelection &deselected) {
            if (m_syncing)
                return;
            m_syncing = true;
            m_whole->select(m_proxy->mapSelectionToSource(deselected), QItemSelectionModel::Deselect);
            m_whole->select(m_proxy->mapSelectionToSource(selected), QItemSelectionModel::Select);
            m_syncing = false;
        });
    connect(m_whole, &QItemSelectionModel::currentChanged, this, [this, shown](const QModelIndex &current) {
        if (m_syncing)
            return;
        m_syncing = true;
        shown->setCurrentIndex(m_proxy->mapFromSource(current), QItemSelectionModel::NoUpdate);
        m_syncing = false;
    });
    connect(shown, &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        // A row that leaves the view is still the current one of the list.
        if (m_syncing || !current.isValid())
            return;
        m_syncing = true;
        m_whole->setCurrentIndex(m_proxy->mapToSource(current), QItemSelectionModel::NoUpdate);
        m_syncing = false;
    });
    // The view forgets its selection whenever the rows it shows change.
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &FilteredSelection::showWholeSelection);
}

void FilteredSelection::setTest(RowFilterProxy::Test test)
{
    m_proxy->setTest(std::move(test));
}

void FilteredSelection::showWholeSelection()
{
    QItemSelectionModel *shown = m_view->selectionModel();
    m_syncing = true;
    shown->select(m_proxy->mapSelectionFromSource(m_whole->selection()), QItemSelectionModel::ClearAndSelect);
    shown->setCurrentIndex(m_proxy->mapFromSource(m_whole->currentIndex()), QItemSelectionModel::NoUpdate);
    m_syncing = false;
}

// ---------------------------------------------------------------------------
// QuestionFilterField

QuestionFilterField::QuestionFilterField(
    QCMBas &state, FilteredSelection &list, QuestionOfRow questionOfRow, QWidget *parent)
    : QLineEdit(parent), m_state(state), m_list(list), m_questionOfRow(std::move(questionOfRow))
{
    setObjectName(QStringLiteral("txtFiltre"));
    setPlaceholderText(QStringLiteral("Filtrer la liste : mots de l'énoncé ou des réponses (Ctrl+F)"));
    setAccessibleName(QStringLiteral("Filtrer la liste des questions"));
    setToolTip(QStringLiteral("Ne montre que les questions dont l'énoncé ou les réponses contiennent des mots "
                              "commençant ainsi, sans se soucier des accents ni des majuscules. Les questions "
                              "cachées restent sélectionnées."));
    setClearButtonEnabled(true);
    m_count = new QLabel(parent);
    m_count->setObjectName(QStringLiteral("lblFiltre"));
    m_count->setAccessibleDescription(QStringLiteral("Questions montrées par le filtre"));
    m_pause.setSingleShot(true);
    m_pause.setInterval(180);
    connect(&m_pause, &QTimer::timeout, this, &QuestionFilterField::apply);
    connect(this, &QLineEdit::textChanged, &m_pause, qOverload<>(&QTimer::start));
    connect(m_list.proxy(), &QAbstractItemModel::modelReset, this, &QuestionFilterField::showCount);
    showCount();
}

void QuestionFilterField::addFindShortcut(QWidget *window)
{
    auto *find = new QShortcut(QKeySequence::Find, window);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        setFocus(Qt::ShortcutFocusReason);
        selectAll();
    });
}

void QuestionFilterField::filterNow()
{
    if (m_pause.isActive()) {
        m_pause.stop();
        apply();
    }
}

void QuestionFilterField::apply()
{
    const QString typed = text();
    if (SearchText::queryWords(typed).isEmpty() && !SearchText::reference(typed)) {
        m_list.setTest({});
        return;
    }
    QString why;
    std::optional<QuestionSet> found = BankSearch::of(m_state).matching(typed, &why);
    if (!found) {
        // The whole list stays in sight, with the reason why.
        m_list.setTest({});
        m_count->setText(why);
        return;
    }
    m_list.setTest([found = std::move(*found), question = m_questionOfRow](int row) {
        const auto [code, numero] = question(row);
        return found.contains(code, numero);
    });
}

void QuestionFilterField::showCount()
{
    const int shown = m_list.proxy()->rowCount();
    const int total = m_list.proxy()->sourceModel() ? m_list.proxy()->sourceModel()->rowCount() : 0;
    if (!m_list.proxy()->isFiltering())
        m_count->clear();
    else
        m_count->setText(
            (shown <= 1 ? QStringLiteral("%1 question montrée sur %2") : QStringLiteral("%1 questions montrées sur %2"))
                .arg(shown)
                .arg(total));
}

// Escape first empties the filter; only an empty filter lets it close the
// window through the window's shortcut.
bool QuestionFilterField::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape
        && !text().isEmpty()) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void QuestionFilterField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        filterNow();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        filterNow();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace qcm
