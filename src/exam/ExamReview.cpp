#include "ExamReview.h"

#include <QApplication>
#include <QLocale>
#include <QPainter>

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

// The practice window's colours for the points: red, white, green.
QString pointsColour(qint64 points)
{
    return points < 0 ? QStringLiteral("#ff0000") : points == 0 ? QStringLiteral("#ffffff") : QStringLiteral("#00ff00");
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

QString reviewHtml(const ExamRecord &exam, bool mistakesOnly)
{
    QString html = QStringLiteral("<html><body>");
    int shown = 0;
    for (int p = 0; p < exam.questions.size(); ++p) {
        const ExamQuestion &q = exam.questions.at(p);
        const int score = questionScore(q, exam.negative);
        if (mistakesOnly && score >= kPointsPerQuestion)
            continue;
        ++shown;
        const bool full = score >= kPointsPerQuestion;
        html += QStringLiteral("<table width='100%' cellspacing='0' cellpadding='2'><tr>"
                               "<td><b>%1. %2</b></td>"
                               "<td align='right' width='130'><b><font color='%3'>Score : %4 / 6</font></b></td>"
                               "</tr></table>")
                    .arg(p + 1)
                    .arg(q.statement.toHtmlEscaped())
                    .arg(full ? QStringLiteral("#1b7a2e") : QStringLiteral("#b01c1c"))
                    .arg(pointsText(score).remove(u'+'));
        html += QStringLiteral("<p style='margin:0 0 2px 22px; color:#555555'>Domaine %1 – %2, question %3 – %4</p>")
                    .arg(q.domainCode.toHtmlEscaped(), q.domainName.toHtmlEscaped())
                    .arg(q.numero)
                    .arg(tickedWords(q));
        html += QStringLiteral("<table style='margin-left:22px' cellspacing='0' cellpadding='3'>");
        for (int i = 0; i < kChoiceCount; ++i) {
            if (!q.hasChoice(i))
                continue;
            const std::optional<qint64> v = q.val[size_t(i)];
            html += QStringLiteral("<tr><td>%1</td><td><b>%2</b></td><td width='560'>%3</td>")
                        .arg(q.ticked(i) ? QStringLiteral("&#9745;") : QStringLiteral("&#9744;"))
                        .arg(QChar(u'A' + i))
                        .arg(q.lib[size_t(i)].toHtmlEscaped());
            html += v ? QStringLiteral("<td align='center' width='44' style='background-color:%1; color:#000000'>"
                                       "<b>%2</b></td></tr>")
                            .arg(pointsColour(*v), pointsText(*v))
                      : QStringLiteral("<td></td></tr>");
        }
        html += QStringLiteral("</table><hr/>");
    }
    if (shown == 0)
        html += mistakesOnly ? QStringLiteral("<p>Aucune erreur : toutes les questions ont obtenu 6 points.</p>")
                             : QStringLiteral("<p>Cet examen ne contient aucune question.</p>");
    return html + QStringLiteral("</body></html>");
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
        ResultSheet::Item item;
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
