#include "SearchField.h"

#include "SearchResultText.h"
#include "SearchText.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTextDocument>

#include <cmath>

namespace qcm {

namespace {

// Long enough to let a word be typed, short enough to feel immediate.
constexpr int kPauseMs = 180;
constexpr int kVisibleRows = 8;
constexpr int kListWidth = 600;

// Each result as its rich text: the reference and domain, then the passage.
class ResultDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        QTextDocument doc;
        layOut(doc, opt, index, opt.rect.width());
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text,
            opt.palette.color(
                index.data(SearchResultsModel::HtmlRole).isNull() ? QPalette::PlaceholderText : QPalette::Text));
        painter->save();
        painter->translate(opt.rect.topLeft() + QPoint(kMargin, kMargin / 2));
        painter->setClipRect(QRect(QPoint(0, 0), opt.rect.size()));
        doc.documentLayout()->draw(painter, context);
        painter->restore();
        painter->setPen(opt.palette.color(QPalette::Midlight));
        painter->drawLine(opt.rect.bottomLeft(), opt.rect.bottomRight());
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        // The list's own width, known even before the list is shown, less its
        // frame and scroll bar: the width every result is laid out in.
        const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
        const int width = view ? view->width() - 2 * view->frameWidth()
                - view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view)
                               : kListWidth;
        QTextDocument doc;
        layOut(doc, option, index, width);
        return {width, int(std::ceil(doc.size().height())) + kMargin};
    }

private:
    static void layOut(QTextDocument &doc, const QStyleOptionViewItem &option, const QModelIndex &index, int width)
    {
        doc.setDefaultFont(option.font);
        doc.setDocumentMargin(0);
        doc.setTextWidth(width - 2 * kMargin);
        const QVariant html = index.data(SearchResultsModel::HtmlRole);
        if (html.isNull())
            doc.setHtml(QStringLiteral("<i>") + index.data().toString().toHtmlEscaped() + QStringLiteral("</i>"));
        else
            doc.setHtml(html.toString());
    }

    static constexpr int kMargin = 6;
};

} // namespace

// ---------------------------------------------------------------------------
// Results

void SearchResultsModel::setHits(const QList<SearchHit> &hits, const QStringList &words)
{
    beginResetModel();
    m_hits = hits;
    m_message.clear();
    m_html.clear();
    m_plain.clear();
    for (const SearchHit &hit : hits) {
        m_html << SearchResultText::html(hit, words);
        m_plain << SearchResultText::plain(hit, words);
    }
    endResetModel();
}

void SearchResultsModel::setMessage(const QString &message)
{
    beginResetModel();
    m_hits.clear();
    m_html.clear();
    m_plain.clear();
    m_message = message;
    endResetModel();
}

int SearchResultsModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_hits.isEmpty() ? (m_message.isEmpty() ? 0 : 1) : int(m_hits.size());
}

QVariant SearchResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (m_hits.isEmpty())
        return role == Qt::DisplayRole || role == Qt::AccessibleTextRole || role == Qt::ToolTipRole ? m_message
                                                                                                    : QVariant();
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        return m_plain.at(row);
    case HtmlRole:
        return m_html.at(row);
    case CodeRole:
        return m_hits.at(row).question.code;
    case NumeroRole:
        return m_hits.at(row).question.numero;
    default:
        return {};
    }
}

Qt::ItemFlags SearchResultsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || m_hits.isEmpty())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

// ---------------------------------------------------------------------------
// The field

SearchField::SearchField(QCMBas &state, QWidget *parent) : QLineEdit(parent), m_state(state)
{
    setObjectName(QStringLiteral("txtRecherche"));
    setPlaceholderText(QStringLiteral("Rechercher une question (Ctrl+F)"));
    setAccessibleName(QStringLiteral("Rechercher une question"));
    setToolTip(QStringLiteral("Mots de l'énoncé ou des réponses, sans se soucier des accents ni des majuscules ; "
                              "ou la référence d'une question, comme 3.12"));
    setClearButtonEnabled(true);
    m_model = new SearchResultsModel(this);
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &SearchField::runSearch);
    // What was found may have changed: the next keystroke searches again.
    connect(&state, &QCMBas::bankChanged, this, [this] { m_searched.clear(); });
    // Another bank: its results are not those on view.
    connect(&state, &QCMBas::baseCaptionChanged, this, [this] {
        m_searched.clear();
        m_model->setMessage({});
        hideResults();
    });
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (text().trimmed().isEmpty()) {
            m_pause.stop();
            m_searched.clear();
            m_model->setMessage({});
            hideResults();
        } else {
            m_pause.start();
        }
    });
}

SearchField::~SearchField()
{
    delete m_list;
}

void SearchField::addFindShortcut(QWidget *window)
{
    auto *find = new QShortcut(QKeySequence::Find, window);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        setFocus(Qt::ShortcutFocusReason);
        selectAll();
        if (!text().isEmpty())
            showResults();
    });
}

void SearchField::searchNow()
{
    if (m_pause.isActive()) {
        m_pause.stop();
        runSearch();
    }
}

void SearchField::runSearch()
{
    const QString typed = text();
    if (typed.trimmed().isEmpty() || typed == m_searched)
        return;
    QString why;
    const auto hits = BankSearch::of(m_state).find(typed, BankSearch::kResultLimit, &why);
    m_searched = typed;
    if (!hits) {
        m_searched.clear(); // tried again at the next keystroke
        m_model->setMessage(why);
    } else if (hits->isEmpty()) {
        m_model->setMessage(QStringLiteral("Aucune question ne contient ces mots."));
    } else {
        m_model->setHits(*hits, SearchText::queryWords(typed));
    }
    // The first steps of a search may have shown a progress dialog.
    if (hasFocus() || window()->isActiveWindow())
        showResults();
}

void SearchField::showResults()
{
    if (m_model->rowCount() == 0)
        return;
    if (!m_list) {
        // A child of the window, over its other controls: the focus never
        // leaves the box while the list is open.
        m_list = new QListView(window());
        m_list->setObjectName(QStringLiteral("lstResultats"));
        m_list->setAccessibleName(QStringLiteral("Résultats de la recherche"));
        m_list->setFocusPolicy(Qt::NoFocus);
        m_list->setModel(m_model);
        m_list->setItemDelegate(new ResultDelegate(m_list));
        // A light choice, so that the greyed domain and the marked words stay readable on it.
        QPalette palette = m_list->palette();
        palette.setColor(QPalette::Highlight, QColor(207, 225, 247));
        palette.setColor(QPalette::HighlightedText, palette.color(QPalette::Text));
        m_list->setPalette(palette);
        m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_list->setSelectionMode(QAbstractItemView::SingleSelection);
        m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_list->setFrameShape(QFrame::Box);
        m_list->setAutoFillBackground(true);
        connect(m_list, &QListView::clicked, this, &SearchField::choose);
        window()->installEventFilter(this);
    }
    place();
    m_list->show();
    m_list->raise();
    if (!m_list->currentIndex().isValid() && !m_model->hits().isEmpty())
        m_list->setCurrentIndex(m_model->index(0));
}

void SearchField::hideResults()
{
    if (m_list)
        m_list->hide();
}

// Under the box, as wide as a result needs and within the window; above
// the box when there is no room under it.
void SearchField::place()
{
    QWidget *w = window();
    const int width = std::min(std::max(this->width(), kListWidth), w->width() - 8);
    m_list->resize(width, m_list->height());
    m_list->doItemsLayout();
    int wanted = 2 * m_list->frameWidth();
    for (int row = 0; row < std::min(kVisibleRows, m_model->rowCount()); ++row)
        wanted += std::max(m_list->sizeHintForRow(row), 1);
    const int rowHeight = std::max(m_list->sizeHintForRow(0), 20);
    QPoint below = mapTo(w, QPoint(0, height()));
    const int x = std::clamp(below.x(), 4, std::max(4, w->width() - width - 4));
    int y = below.y();
    int height = std::min(wanted, w->height() - y - 4);
    const int above = mapTo(w, QPoint(0, 0)).y();
    if (height < std::min(wanted, 3 * rowHeight) && above > height) {
        height = std::min(wanted, above - 4);
        y = above - height;
    }
    m_list->setGeometry(x, y, width, std::max(height, rowHeight));
}

void SearchField::moveCurrent(int by)
{
    if (m_model->hits().isEmpty())
        return;
    if (!resultsShown()) {
        showResults();
        return;
    }
    const int row = m_list->currentIndex().isValid() ? m_list->currentIndex().row() + by : 0;
    const QModelIndex index = m_model->index(std::clamp(row, 0, m_model->rowCount() - 1));
    m_list->setCurrentIndex(index);
    m_list->scrollTo(index);
    // What assistive technology reads while the focus stays in the box.
    setAccessibleDescription(index.data(Qt::AccessibleTextRole).toString());
}

void SearchField::choose(const QModelIndex &index)
{
    if (!index.isValid() || !(index.flags() & Qt::ItemIsEnabled))
        return;
    hideResults();
    Q_EMIT questionChosen(
        index.data(SearchResultsModel::CodeRole).toString(), index.data(SearchResultsModel::NumeroRole).toLongLong());
}

void SearchField::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Down:
        moveCurrent(1);
        return;
    case Qt::Key_Up:
        moveCurrent(-1);
        return;
    case Qt::Key_PageDown:
        moveCurrent(kVisibleRows - 1);
        return;
    case Qt::Key_PageUp:
        moveCurrent(-(kVisibleRows - 1));
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        searchNow();
        if (!m_model->hits().isEmpty()) {
            const QModelIndex current = resultsShown() ? m_list->currentIndex() : QModelIndex();
            choose(current.isValid() ? current : m_model->index(0));
        } else {
            showResults();
        }
        event->accept();
        return;
    case Qt::Key_Escape:
        if (resultsShown()) {
            hideResults();
            event->accept();
            return;
        }
        if (!text().isEmpty()) {
            clear();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void SearchField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason && !text().trimmed().isEmpty()) {
        searchNow();
        showResults();
    }
}

void SearchField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    hideResults();
}

bool SearchField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window() && resultsShown() && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        place();
    return QLineEdit::eventFilter(watched, event);
}

} // namespace qcm
