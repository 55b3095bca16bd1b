#include "ExamReview.h"

#include <QApplication>
#include <QLocale>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>

namespace qcm {

namespace {

QString pointsText(qint64 points)
{
    if (points > 0)
        return QStringLiteral("+%1").arg(points);
    if (points < 0)
        return QChar(0x2212) + QString::number(-points);
    return QStringLiteral("0");
}

// The practice window's colours for the points: red, below 0, green above.
QColor pointsColour(qint64 points)
{
    // A zero on grey: the review itself is on white.
    return points < 0 ? QColor(255, 0, 0) : points == 0 ? QColor(225, 225, 225) : QColor(0, 255, 0);
}

QString tickedWords(const ExamQuestion &q)
{
    QStringList letters;
    for (int i = 0; i < kChoiceCount; ++i)
        if (q.ticked(i) && q.hasChoice(i))
            letters.append(QString(QChar(u'A' + i)));
    if (letters.isEmpty())
        return QStringLiteral("Aucune réponse cochée");
    return (letters.size() == 1 ? QStringLiteral("Réponse cochée : ") : QStringLiteral("Réponses cochées : "))
        + QLocale(QLocale::French).createSeparatedList(letters);
}

} // namespace

QString durationText(qint64 seconds)
{
    seconds = std::max<qint64>(0, seconds);
    const qint64 h = seconds / 3600, m = (seconds % 3600) / 60, s = seconds % 60;
    QStringList parts;
    if (h > 0)
        parts.append(QStringLiteral("%1 h").arg(h));
    if (m > 0)
        parts.append(QStringLiteral("%1 min").arg(m));
    if (s > 0 || parts.isEmpty())
        parts.append(QStringLiteral("%1 s").arg(s));
    return parts.join(u' ');
}

QString percentText(int points, int maximum)
{
    const int percent = maximum > 0 ? int(std::lround(100.0 * std::max(points, 0) / maximum)) : 0;
    return QStringLiteral("%1\u00a0%").arg(percent);
}

// Written block by block rather than parsed from HTML, in paragraphs rather
// than tables: the review of 60 questions then costs the text layout a
// fraction of the time.
void writeReview(QTextDocument &document, const ExamRecord &exam, bool mistakesOnly)
{
    document.clear();
    QTextCursor cursor(&document);
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat grey;
    grey.setForeground(QColor(0x55, 0x55, 0x55));
    QTextBlockFormat heading;
    heading.setTopMargin(6);
    heading.setBottomMargin(2);
    QTextBlockFormat indented;
    indented.setLeftMargin(24);
    indented.setBottomMargin(2);
    QTextBlockFormat ruled = indented;
    ruled.setBottomMargin(6);
    ruled.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth, QTextLength(QTextLength::PercentageLength, 100));
    const QString space(2, QChar::Nbsp);

    bool first = true;
    auto block = [&](const QTextBlockFormat &format) {
        if (!std::exchange(first, false))
            cursor.insertBlock(format, plain);
        else
            cursor.setBlockFormat(format);
    };
    int shown = 0;
    for (int p = 0; p < exam.questions.size(); ++p) {
        const ExamQuestion &q = exam.questions.at(p);
        const int score = questionScore(q, exam.negative);
        if (mistakesOnly && score >= kPointsPerQuestion)
            continue;
        ++shown;
        block(heading);
        cursor.insertText(QStringLiteral("%1. %2").arg(p + 1).arg(q.statement), bold);
        QTextCharFormat scored = bold;
        scored.setForeground(score >= kPointsPerQuestion ? QColor(0x1b, 0x7a, 0x2e) : QColor(0xb0, 0x1c, 0x1c));
        cursor.insertText(QString(3, QChar::Nbsp)
                + QStringLiteral("Score\u00a0: %1\u00a0/\u00a06").arg(pointsText(score).remove(u'+')),
            scored);
        block(indented);
        cursor.insertText(QStringLiteral("Domaine %1 – %2, question %3 – %4")
                              .arg(q.domainCode, q.domainName)
                              .arg(q.numero)
                              .arg(tickedWords(q)),
            grey);
        int last = -1;
        for (int i = 0; i < kChoiceCount; ++i)
            if (q.hasChoice(i))
                last = i;
        for (int i = 0; i < kChoiceCount; ++i) {
            if (!q.hasChoice(i))
                continue;
            block(i == last ? ruled : indented);
            cursor.insertText(QString(q.ticked(i) ? QChar(0x2611) : QChar(0x2610)) + space, plain);
            cursor.insertText(QString(QChar(u'A' + i)) + space, bold);
            if (const std::optional<qint64> v = q.val[size_t(i)]) {
                QTextCharFormat badge = bold;
                badge.setBackground(pointsColour(*v));
                badge.setForeground(Qt::black);
                cursor.insertText(QChar::Nbsp + pointsText(*v) + QChar::Nbsp, badge);
                cursor.insertText(space, plain);
            }
            cursor.insertText(q.lib[size_t(i)], plain);
        }
    }
    if (shown == 0) {
        block(heading);
        cursor.insertText(mistakesOnly ? QStringLiteral("Aucune erreur : toutes les questions ont obtenu 6 points.")
                                       : QStringLiteral("Cet examen ne contient aucune question."),
            plain);
    }
}

ResultSheet resultSheet(const ExamRecord &exam, bool mistakesOnly)
{
    ResultSheet sheet;
    sheet.candidate = exam.candidate;
    sheet.paper = exam.paperName;
    QStringList specialities;
    for (int s = 0; s < kSpecialityCount; ++s)
        if (exam.specialities[size_t(s)])
            specialities.append(specialityInfo(Speciality(s)).caption);
    sheet.speciality = QLocale(QLocale::French).createSeparatedList(specialities);
    sheet.date = exam.started.toString(QStringLiteral("dd/MM/yyyy"));
    sheet.duration = durationText(exam.secondsUsed);
    sheet.mark = exam.mark.value_or(paperMark(exam.questions, exam.negative));
    sheet.maximum = exam.maximum;
    sheet.passMark = exam.passMark;
    sheet.passed = sheet.mark >= exam.passMark;
    for (const DomainResult &d : domainBreakdown(exam.questions, exam.negative))
        sheet.domains.append(
            {d.name.isEmpty() ? QStringLiteral("Domaine %1").arg(d.code) : d.name, d.questions, d.points, d.maximum});
    int missedCount = 0;
    for (int p = 0; p < exam.questions.size(); ++p) {
        const ExamQuestion &q = exam.questions.at(p);
        const int score = questionScore(q, exam.negative);
        missedCount += score < kPointsPerQuestion ? 1 : 0;
        if (mistakesOnly && score >= kPointsPerQuestion)
            continue;
        ResultSheet::ReviewedQuestion item;
        item.number = p + 1;
        item.reference = QStringLiteral("%1/%2").arg(q.domainCode).arg(q.numero);
        item.statement = q.statement;
        item.lib = q.lib;
        item.val = q.val;
        for (int i = 0; i < kChoiceCount; ++i)
            item.ticked[size_t(i)] = q.ticked(i);
        item.score = score;
        sheet.review.append(item);
    }
    sheet.reviewHeading = mistakesOnly
        ? QStringLiteral("Relecture des questions manquées (%1 sur %2)").arg(missedCount).arg(exam.questions.size())
        : QStringLiteral("Relecture des %1 questions").arg(exam.questions.size());
    return sheet;
}

DomainTableModel::DomainTableModel(QList<DomainResult> domains, double passRatio, QObject *parent)
    : QAbstractTableModel(parent), m_domains(std::move(domains)), m_passRatio(passRatio)
{
}

int DomainTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_domains.size());
}

int DomainTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 5;
}

QVariant DomainTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_domains.size())
        return {};
    const DomainResult &d = m_domains.at(index.row());
    if (role == RatioRole)
        return d.ratio();
    if (role == Qt::TextAlignmentRole)
        return index.column() == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case 0:
        return d.name.isEmpty() ? QStringLiteral("Domaine %1").arg(d.code) : d.name;
    case 1:
        return d.questions;
    case 2:
        return pointsText(d.points).remove(u'+');
    case 3:
        return d.maximum;
    case 4:
        return percentText(d.points, d.maximum);
    default:
        return {};
    }
}

QVariant DomainTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList titles{QStringLiteral("Domaine"), QStringLiteral("Questions"), QStringLiteral("Points"),
        QStringLiteral("Maximum"), QStringLiteral("Réussite")};
    return titles.value(section);
}

void RatioBarDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    cell.text.clear();
    const QWidget *view = cell.widget;
    QStyle *style = view ? view->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view);

    const int barWidth = std::max(40, option.rect.width() - 72);
    const QRect bar(option.rect.right() - barWidth - 4, option.rect.top() + 5, barWidth, option.rect.height() - 10);
    const QRect textRect(
        option.rect.left() + 4, option.rect.top(), bar.left() - option.rect.left() - 10, option.rect.height());
    painter->save();
    painter->setClipRect(option.rect);
    painter->setPen(
        cell.palette.color(cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect, int(Qt::AlignRight | Qt::AlignVCenter), text);
    const double ratio = std::clamp(index.data(DomainTableModel::RatioRole).toDouble(), 0.0, 1.0);
    const auto *model = qobject_cast<const DomainTableModel *>(index.model());
    const double pass = model ? model->passRatio() : 0.75;
    painter->fillRect(bar, QColor(235, 238, 242));
    painter->fillRect(QRect(bar.left(), bar.top(), int(bar.width() * ratio), bar.height()),
        ratio >= pass ? QColor(60, 160, 80) : QColor(216, 106, 58));
    painter->setPen(QColor(90, 90, 90));
    painter->drawRect(bar.adjusted(0, 0, -1, -1));
    const int x = bar.left() + int(bar.width() * pass);
    painter->setPen(QPen(QColor(30, 30, 30), 2));
    painter->drawLine(x, bar.top() - 2, x, bar.bottom() + 2);
    painter->restore();
}

QSize RatioBarDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    return {s.width() + 200, std::max(s.height(), 24)};
}

} // namespace qcm
