#include "ExamStrip.h"

#include <QPainter>
#include <QPainterPath>

namespace qcm {

namespace {

constexpr int kCell = 30;
constexpr int kGap = 4;

QString stateText(const ExamQuestion &q)
{
    QString s = q.answered() ? QStringLiteral("répondue") : QStringLiteral("sans réponse");
    if (q.flagged)
        s += QStringLiteral(", à revoir");
    return s;
}

} // namespace

ExamStripModel::ExamStripModel(
    std::function<int()> count, std::function<const ExamQuestion &(int)> question, QObject *parent)
    : QAbstractListModel(parent), m_count(std::move(count)), m_question(std::move(question))
{
}

int ExamStripModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count();
}

QVariant ExamStripModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_count())
        return {};
    const ExamQuestion &q = m_question(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QString::number(index.row() + 1);
    case Qt::AccessibleTextRole:
        return QStringLiteral("Question %1").arg(index.row() + 1);
    case Qt::AccessibleDescriptionRole:
    case Qt::ToolTipRole:
        return QStringLiteral("Question %1 : %2").arg(index.row() + 1).arg(stateText(q));
    case AnsweredRole:
        return q.answered();
    case FlaggedRole:
        return q.flagged;
    default:
        return {};
    }
}

void ExamStripModel::questionChanged(int position)
{
    const QModelIndex i = index(position);
    Q_EMIT dataChanged(i, i);
}

void ExamStripModel::reset()
{
    beginResetModel();
    endResetModel();
}

void ExamStripDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool answered = index.data(ExamStripModel::AnsweredRole).toBool();
    const bool flagged = index.data(ExamStripModel::FlaggedRole).toBool();
    const bool current = option.state & QStyle::State_Selected;
    const bool focus = option.state & QStyle::State_HasFocus;
    const QRectF cell = QRectF(option.rect).adjusted(1.5, 1.5, -1.5, -1.5);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(current ? QColor(255, 214, 0) : QColor(20, 30, 55), current ? 3 : 1));
    painter->setBrush(answered ? QColor(60, 110, 190) : QColor(250, 250, 252));
    painter->drawRoundedRect(cell, 4, 4);
    if (flagged) {
        // A corner in orange: "à revoir".
        QPainterPath corner;
        corner.moveTo(cell.topRight() + QPointF(-11, 0));
        corner.lineTo(cell.topRight());
        corner.lineTo(cell.topRight() + QPointF(0, 11));
        corner.closeSubpath();
        painter->fillPath(corner, QColor(255, 140, 0));
    }
    QFont f = option.font;
    f.setBold(current);
    painter->setFont(f);
    painter->setPen(answered ? Qt::white : QColor(20, 30, 55));
    painter->drawText(cell, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    if (focus) {
        painter->setPen(QPen(QColor(255, 255, 255), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    }
    painter->restore();
}

QSize ExamStripDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return {kCell, kCell};
}

ExamStrip::ExamStrip(QWidget *parent) : QListView(parent)
{
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setUniformItemSizes(true);
    setSpacing(kGap / 2);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setItemDelegate(new ExamStripDelegate(this));
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

int ExamStrip::heightFor(int width) const
{
    const int count = model() ? model()->rowCount() : 0;
    const int perRow = std::max(1, (width - kGap) / (kCell + kGap));
    return heightForRows(std::max(1, (count + perRow - 1) / perRow));
}

int ExamStrip::heightForRows(int rows)
{
    return rows * (kCell + kGap) + kGap;
}

QSize ExamStrip::sizeHint() const
{
    return {30 * (kCell + kGap), heightFor(30 * (kCell + kGap))};
}

} // namespace qcm
