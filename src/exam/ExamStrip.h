#pragma once

#include "ExamRecords.h"

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

#include <functional>

namespace qcm {

// The questions of a paper as numbered squares: answered ones filled,
// flagged ones marked, the one on view outlined. One entry per question,
// read by assistive technology as "Question 12" with its state.
class ExamStripModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int AnsweredRole = Qt::UserRole;
    static constexpr int FlaggedRole = Qt::UserRole + 1;

    // question(i) gives the question as the session holds it now.
    ExamStripModel(
        std::function<int()> count, std::function<const ExamQuestion &(int)> question, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    void questionChanged(int position);
    void reset();

private:
    std::function<int()> m_count;
    std::function<const ExamQuestion &(int)> m_question;
};

class ExamStripDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// The strip itself: one tab stop, the arrows move along it, a click or a
// move shows that question.
class ExamStrip : public QListView {
    Q_OBJECT

public:
    explicit ExamStrip(QWidget *parent = nullptr);
    QSize sizeHint() const override;
    // Rows needed at the strip's width for every question.
    int heightFor(int width) const;
    static int heightForRows(int rows);
};

} // namespace qcm
