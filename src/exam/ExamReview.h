#pragma once

#include "ExamRecords.h"
#include "Marking.h"

#include "reports/ResultSheet.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStyledItemDelegate>

class QTextDocument;

namespace qcm {

// "47 min 12 s", "1 h 5 s": a time for the results.
QString durationText(qint64 seconds);
QString percentText(int points, int maximum);

// The review of a handed-in paper: every question (or only those below full
// marks) with the candidate's ticks, each choice's points and the question's
// score, the ticks said in words as well.
void writeReview(QTextDocument &document, const ExamRecord &exam, bool mistakesOnly);

// What the result sheet prints, the review filtered the same way.
ResultSheet resultSheet(const ExamRecord &exam, bool mistakesOnly);

// The per-domain table, weakest first: domain, questions, points, maximum
// and percentage, the last drawn with a bar.
class DomainTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int RatioRole = Qt::UserRole;

    DomainTableModel(QList<DomainResult> domains, double passRatio, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    double passRatio() const { return m_passRatio; }

private:
    QList<DomainResult> m_domains;
    double m_passRatio;
};

// The percentage column: its number, then a bar with the pass line on it.
class RatioBarDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace qcm
