#include "ReportDocument.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <cmath>
#include <functional>

namespace qcm {

namespace {

constexpr double kMm = ReportDocument::kDotsPerInch / 25.4;
constexpr double kPoint = ReportDocument::kDotsPerInch / 72.0;
constexpr double kPageWidth = 210 * kMm;
constexpr double kPageHeight = 297 * kMm;
const QChar kMinus(0x2212);

using Item = ReportDocument::Item;

// What the placeholders of a layout text stand for.
struct Fields {
    QString name, speciality, date, questions, maximum, title, page, pages;
    // A result sheet's only.
    QString candidate, mark, percent, verdict, passMark, duration;

    QString value(const QString &placeholder) const
    {
        const QStringList &names = layoutPlaceholders();
        const QString *values[] = {&name, &speciality, &date, &questions, &maximum, &title, &page, &pages};
        for (int i = 0; i < names.size(); ++i)
            if (names.at(i).compare(placeholder, Qt::CaseInsensitive) == 0)
                return *values[i];
        const QStringList &results = resultPlaceholders();
        const QString *resultValues[] = {&candidate, &mark, &percent, &verdict, &passMark, &duration};
        for (int i = 0; i < results.size(); ++i)
            if (results.at(i).compare(placeholder, Qt::CaseInsensitive) == 0)
                return *resultValues[i];
        return placeholder;
    }
};

// The layout's own words get French spacing; the data is printed as stored.
QString expand(const QString &pattern, const Fields &fields)
{
    const QString text = frenchSpacing(pattern);
    QString out;
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype open = text.indexOf(u'{', from);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'}', open);
        if (close < 0) {
            out += text.mid(from);
            break;
        }
        out += text.mid(from, open - from);
        out += fields.value(text.mid(open, close - open + 1));
        from = close + 1;
    }
    return out;
}

QString pointsText(int points)
{
    if (points > 0)
        return QStringLiteral("+%1").arg(points);
    if (points < 0)
        return kMinus + QString::number(-points);
    return QStringLiteral("0");
}

Item textItem(double x, double baseline, const QString &text, int font, const QColor &color = Qt::black)
{
    Item item;
    item.kind = Item::Kind::Text;
    item.rect = QRectF(x, baseline, 0, 0);
    item.text = text;
    item.font = font;
    item.pen = color;
    return item;
}

Item boxItem(const QRectF &rect, const QColor &fill, const QColor &pen = QColor(), double penWidth = 0)
{
    Item item;
    item.kind = Item::Kind::Box;
    item.rect = rect;
    item.fill = fill;
    item.pen = pen;
    item.penWidth = penWidth;
    return item;
}

Item lineItem(QPointF from, QPointF to, const QColor &pen, double penWidth)
{
    Item item;
    item.kind = Item::Kind::Line;
    item.rect = QRectF(from, to);
    item.pen = pen;
    item.penWidth = penWidth;
    return item;
}

} // namespace

// Lays the questionnaires out page by page. Blocks (a heading, a question
// with its choices) are made of slices, one per line; a block moves whole to
// the next page when it does not fit, and is cut between lines only when it
// is taller than a page.
class ReportComposer {
public:
    ReportComposer(const ReportLayout &layout, const ComposeContext &context) : m_layout(layout), m_context(context)
    {
        m_doc = std::make_shared<ReportDocument>();
        m_doc->m_title = context.title;
        m_left = layout.margins.left() * kMm;
        m_right = kPageWidth - layout.margins.right() * kMm;
        m_bodyTop = layout.margins.top() * kMm;
        m_bodyBottom = kPageHeight - layout.margins.bottom() * kMm;
        if (hasText(layout.header)) {
            const int f = font(layout.header.font);
            m_headerBaseline = m_bodyTop + ascent(f);
            m_headerRule = m_bodyTop + lineHeight(f) + 1.2 * kMm;
            m_bodyTop = m_headerRule + 5 * kMm;
        }
        if (hasText(layout.footer)) {
            const int f = font(layout.footer.font);
            m_footerBaseline = m_bodyBottom - descent(f);
            m_footerRule = m_bodyBottom - lineHeight(f) - 1.2 * kMm;
            m_bodyBottom = m_footerRule - 4 * kMm;
        }
    }

    std::shared_ptr<ReportDocument> run(const QList<StoredQuestionnaire> &questionnaires, QString *error)
    {
        if (m_right - m_left < 80 * kMm || m_bodyBottom - m_bodyTop < 100 * kMm)
            return failed(error, QStringLiteral("les marges laissent trop peu de place sur la page A4"));
        if (questionnaires.isEmpty())
            nothingToPrint();
        for (int i = 0; i < questionnaires.size(); ++i) {
            const StoredQuestionnaire &q = questionnaires.at(i);
            m_fields = fieldsOf(q);
            newPage(i);
            heading();
            const bool ok = m_layout.model == ReportLayout::Model::Grid ? grid(q, error) : questions(q, error);
            if (!ok)
                return nullptr;
        }
        bands([&](int owner) {
            Fields f;
            if (owner >= 0)
                f = fieldsOf(questionnaires.at(owner));
            return f;
        });
        return m_doc;
    }

    std::shared_ptr<ReportDocument> runResult(const ResultSheet &sheet, QString *error)
    {
        if (m_right - m_left < 100 * kMm || m_bodyBottom - m_bodyTop < 100 * kMm)
            return failed(error, QStringLiteral("les marges laissent trop peu de place sur la page A4"));
        m_fields = fieldsOf(sheet);
        newPage(0);
        heading();
        verdict(sheet);
        if (!domainTable(sheet, error) || !review(sheet, error))
            return nullptr;
        bands([this](int) { return m_fields; });
        return m_doc;
    }

    std::shared_ptr<ReportDocument> runTable(const TableSheet &sheet, QString *error)
    {
        if (m_right - m_left < 80 * kMm || m_bodyBottom - m_bodyTop < 100 * kMm)
            return failed(error, QStringLiteral("les marges laissent trop peu de place sur la page A4"));
        m_fields = Fields();
        m_fields.name = sheet.name;
        m_fields.date = sheet.date;
        m_fields.title = m_context.title;
        newPage(0);
        heading();
        for (const TableSheet::Section &section : sheet.sections)
            if (!table(section, error))
                return nullptr;
        bands([this](int) { return m_fields; });
        return m_doc;
    }

private:
    struct Slice {
        double height = 0;
        QList<Item> items; // y from the top of the slice
        bool spacer = false; // dropped at the top of a page
    };

    std::nullptr_t failed(QString *error, const QString &why)
    {
        if (error)
            *error = why;
        return nullptr;
    }

    static bool hasText(const LayoutBand &band)
    {
        return !band.left.isEmpty() || !band.centre.isEmpty() || !band.right.isEmpty();
    }

    Fields fieldsOf(const StoredQuestionnaire &q) const
    {
        Fields f;
        f.name = q.name;
        f.speciality = q.speciality;
        f.date = q.date;
        f.questions
            = q.rows.size() == 1 ? QStringLiteral("1 question") : QStringLiteral("%1 questions").arg(q.rows.size());
        f.maximum = QString::number(6 * q.rows.size());
        f.title = m_context.title;
        return f;
    }

    Fields fieldsOf(const ResultSheet &sheet) const
    {
        Fields f;
        f.name = sheet.paper;
        f.speciality = sheet.speciality;
        f.date = sheet.date;
        const qsizetype n = sheet.maximum / 6;
        f.questions = n == 1 ? QStringLiteral("1 question") : QStringLiteral("%1 questions").arg(n);
        f.maximum = QString::number(sheet.maximum);
        f.title = m_context.title;
        f.candidate = sheet.candidate;
        f.mark = QString::number(sheet.mark);
        f.percent = percentText(sheet.mark, sheet.maximum);
        f.verdict = sheet.passed ? QStringLiteral("Reçu") : QStringLiteral("Ajourné");
        f.passMark = QString::number(sheet.passMark);
        f.duration = sheet.duration;
        return f;
    }

    static QString percentText(int points, int maximum)
    {
        const int percent = maximum > 0 ? int(std::lround(100.0 * std::max(points, 0) / maximum)) : 0;
        return QStringLiteral("%1\u00a0%").arg(percent);
    }

    // Fonts are sized in dots, so that they keep their size on every device.
    int font(const LayoutFont &wanted, double scale = 1, std::optional<bool> bold = std::nullopt)
    {
        QFont f(wanted.family);
        f.setPixelSize(std::max(1, int(std::lround(wanted.size * scale * kPoint))));
        f.setBold(bold.value_or(wanted.bold));
        f.setItalic(wanted.italic);
        f.setHintingPreference(QFont::PreferNoHinting);
        // No ligatures: a PDF reader then finds "fi" in the text it searches.
        f.setStyleStrategy(QFont::PreferNoShaping);
        for (int i = 0; i < m_doc->m_fonts.size(); ++i)
            if (m_doc->m_fonts.at(i) == f)
                return i;
        m_doc->m_fonts.append(f);
        m_metrics.append(QFontMetricsF(f));
        return int(m_doc->m_fonts.size() - 1);
    }
    const QFontMetricsF &metrics(int f) const { return m_metrics.at(f); }
    double ascent(int f) const { return metrics(f).ascent(); }
    double descent(int f) const { return metrics(f).descent(); }
    double lineHeight(int f) const { return metrics(f).height(); }
    double advance(int f, const QString &text) const { return metrics(f).horizontalAdvance(text); }

    struct Line {
        QString text;
        double width = 0;
    };

    // Breaks a text into lines; words longer than a line are cut rather than
    // left to run off the page.
    QList<Line> wrap(const QString &source, int f, double width) const
    {
        QString text = source.trimmed();
        text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
        text.replace(u'\r', QChar::LineSeparator);
        text.replace(u'\n', QChar::LineSeparator);
        text.replace(u'\t', u' ');
        QList<Line> lines;
        if (text.isEmpty()) {
            lines.append(Line());
            return lines;
        }
        QTextLayout layout(text, m_doc->m_fonts.at(f));
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString part = text.mid(line.textStart(), line.textLength());
            while (!part.isEmpty() && (part.back() == QChar::LineSeparator || part.back().isSpace()))
                part.chop(1);
            lines.append(Line{part, line.naturalTextWidth()});
        }
        layout.endLayout();
        return lines;
    }

    void newPage(int questionnaire)
    {
        m_doc->m_pages.append(ReportDocument::Page());
        m_pageQuestionnaire.append(questionnaire);
        m_y = m_bodyTop;
    }
    bool atPageTop() const { return m_y <= m_bodyTop; }
    QList<Item> &items() { return m_doc->m_pages.last().items; }

    void place(const QList<Slice> &block)
    {
        double total = 0;
        for (const Slice &s : block)
            total += s.height;
        if (m_y + total > m_bodyBottom && !atPageTop())
            newPage(m_pageQuestionnaire.last());
        for (const Slice &s : block) {
            if (s.spacer && atPageTop())
                continue;
            if (m_y + s.height > m_bodyBottom && !atPageTop()) {
                newPage(m_pageQuestionnaire.last());
                if (s.spacer)
                    continue;
            }
            for (Item item : s.items) {
                item.rect.translate(0, m_y);
                items().append(item);
            }
            m_y += s.height;
        }
    }

    static Slice spacer(double height) { return {height, {}, true}; }

    // Centred lines, for the title and subtitles.
    void centred(QList<Slice> &block, const QString &text, int f)
    {
        if (text.trimmed().isEmpty())
            return;
        for (const Line &line : wrap(text, f, m_right - m_left)) {
            Slice s{lineHeight(f), {}, false};
            s.items.append(textItem(m_left + (m_right - m_left - line.width) / 2, ascent(f), line.text, f));
            block.append(s);
        }
    }

    void nothingToPrint()
    {
        m_fields = Fields();
        m_fields.title = m_context.title;
        newPage(-1);
        const int f = font(m_layout.subtitleFont);
        QString message = QStringLiteral("Aucun QCM n'est enregistré.");
        if (m_context.filterName)
            message = m_context.filterName->isEmpty()
                ? QStringLiteral("Aucun QCM n'a été choisi.")
                : QStringLiteral("Aucun QCM nommé « %1 » n'est enregistré.").arg(*m_context.filterName);
        QList<Slice> block;
        centred(block, message, f);
        m_y += 20 * kMm;
        place(block);
    }

    void heading()
    {
        QList<Slice> block;
        const int title = font(m_layout.titleFont);
        const int subtitle = font(m_layout.subtitleFont);
        centred(block, expand(m_layout.title, m_fields), title);
        block.append(spacer(1.5 * kMm));
        centred(block, expand(m_layout.subtitle1, m_fields), subtitle);
        centred(block, expand(m_layout.subtitle2, m_fields), subtitle);
        if (m_layout.studentLine) {
            const int f = font(m_layout.studentFont);
            const QColor ink(0x40, 0x40, 0x40);
            Slice s{lineHeight(f) + 8 * kMm, {}, false};
            const double baseline = 6 * kMm + ascent(f);
            const double rule = baseline + 0.8 * kMm;
            const QString name = expand(m_layout.studentName, m_fields);
            const QString date = expand(m_layout.studentDate, m_fields);
            const double split = m_left + (m_right - m_left) * 0.64;
            s.items.append(textItem(m_left, baseline, name, f));
            s.items.append(lineItem(
                QPointF(m_left + advance(f, name) + 2 * kMm, rule), QPointF(split - 6 * kMm, rule), ink, 0.6 * kPoint));
            s.items.append(textItem(split, baseline, date, f));
            s.items.append(
                lineItem(QPointF(split + advance(f, date) + 2 * kMm, rule), QPointF(m_right, rule), ink, 0.6 * kPoint));
            block.append(s);
        }
        block.append({7 * kMm, {}, false});
        place(block);
    }

    bool questions(const StoredQuestionnaire &q, QString *error)
    {
        const int statement = font(m_layout.questionFont);
        const int answer = font(m_layout.answerFont);
        const int letter = font(m_layout.answerFont, 1, true);
        const int points = font(m_layout.pointsFont);
        const int strong = font(m_layout.pointsFont, 1, m_layout.positiveBold || m_layout.pointsFont.bold);
        const int reference = font(m_layout.pointsFont, 0.8, false);
        const QColor grey(0x60, 0x60, 0x60);

        const double number
            = advance(statement, QString(QString::number(q.rows.size()).size(), u'0') + u'.') + 2.5 * kMm;
        const double letterWidth = advance(letter, QStringLiteral("M")) + 2.5 * kMm;
        double right = 0;
        if (m_layout.showPoints)
            right = advance(strong, kMinus + QStringLiteral("6")) + 5 * kMm;
        if (m_layout.showReferences)
            for (const QcmRow &row : q.rows)
                right = std::max(right, advance(reference, row.code + u'/' + QString::number(row.numero)) + 4 * kMm);
        const double textLeft = m_left + number;
        const double choiceLeft = textLeft + letterWidth;
        const double choiceWidth = m_right - right - choiceLeft;
        if (choiceWidth < 50 * kMm) {
            failed(
                error, QStringLiteral("les marges et les tailles de police laissent trop peu de place aux réponses"));
            return false;
        }
        const double pad = 0.7 * kMm;
        const double choiceBaseline = std::max(ascent(answer), m_layout.showPoints ? ascent(strong) : 0.0);
        const double choiceLine
            = choiceBaseline + std::max(descent(answer), m_layout.showPoints ? descent(strong) : 0.0);

        for (int i = 0; i < q.rows.size(); ++i) {
            const QcmRow &row = q.rows.at(i);
            QList<Slice> block;
            if (i > 0)
                block.append(spacer(m_layout.questionSpacing * kMm));
            const QList<Line> lines = wrap(row.libelle, statement, m_right - right - textLeft);
            for (int k = 0; k < lines.size(); ++k) {
                Slice s{lineHeight(statement), {}, false};
                const double baseline = ascent(statement);
                if (k == 0) {
                    const QString n = QString::number(i + 1) + u'.';
                    s.items.append(textItem(textLeft - 2.5 * kMm - advance(statement, n), baseline, n, statement));
                    if (m_layout.showReferences) {
                        const QString ref = row.code + u'/' + QString::number(row.numero);
                        s.items.append(
                            textItem(m_right - 2 * kMm - advance(reference, ref), baseline, ref, reference, grey));
                    }
                }
                s.items.append(textItem(textLeft, baseline, lines.at(k).text, statement));
                block.append(s);
            }
            block.append({1.2 * kMm, {}, false});
            for (int c = 0; c < kChoiceCount; ++c) {
                if (row.lib[size_t(c)].isEmpty())
                    continue;
                const std::optional<int> value = row.val[size_t(c)];
                const bool positive = m_layout.showPoints && value && *value > 0;
                const QList<Line> choice = wrap(row.lib[size_t(c)], answer, choiceWidth);
                for (int k = 0; k < choice.size(); ++k) {
                    const double top = k == 0 ? pad : 0;
                    Slice s{choiceLine + top + (k + 1 == choice.size() ? pad : 0), {}, false};
                    if (positive && m_layout.positiveFill.isValid())
                        s.items.append(
                            boxItem(QRectF(textLeft - 1.2 * kMm, 0, m_right - textLeft + 1.2 * kMm, s.height),
                                m_layout.positiveFill));
                    const double baseline = top + choiceBaseline;
                    if (k == 0) {
                        s.items.append(textItem(textLeft, baseline, QString(QChar(u'A' + c)), letter));
                        if (m_layout.showPoints && value) {
                            const int pf = positive ? strong : points;
                            const QString p = pointsText(*value);
                            s.items.append(textItem(m_right - 2 * kMm - advance(pf, p), baseline, p, pf));
                        }
                    }
                    s.items.append(textItem(choiceLeft, baseline, choice.at(k).text, answer));
                    block.append(s);
                }
            }
            place(block);
        }
        return true;
    }

    bool grid(const StoredQuestionnaire &q, QString *error)
    {
        const int plain = font(m_layout.gridFont);
        const int bold = font(m_layout.gridFont, 1, true);
        const int points = font(m_layout.pointsFont);
        const int strong = font(m_layout.pointsFont, 1, m_layout.positiveBold || m_layout.pointsFont.bold);
        const int score = font(m_layout.scoreFont);
        const double rowHeight = m_layout.gridRowHeight * kMm;
        const double boxWidth = m_layout.gridBoxWidth * kMm;
        const double number = std::max({boxWidth * 1.2, advance(bold, QStringLiteral("N°")) + 3 * kMm,
            advance(plain, QString(QString::number(q.rows.size()).size(), u'0')) + 3 * kMm});
        const double blockWidth = number + kChoiceCount * boxWidth;
        const double gap = 10 * kMm;
        const int columns = m_layout.gridColumns;
        const double total = columns * blockWidth + (columns - 1) * gap;
        if (total > m_right - m_left) {
            failed(error,
                QStringLiteral("la grille de %1 colonnes ne tient pas dans la largeur de la page ; "
                               "réduisez le nombre de colonnes, la largeur des cases ou les marges")
                    .arg(columns));
            return false;
        }
        if (rowHeight < lineHeight(plain) + 1 * kMm) {
            failed(error, QStringLiteral("la hauteur de ligne de la grille est trop petite pour sa police"));
            return false;
        }
        const double x0 = m_left + (m_right - m_left - total) / 2;
        const qsizetype n = q.rows.size();
        qsizetype done = 0;
        while (done < n) {
            const auto capacity = qsizetype(std::floor((m_bodyBottom - m_y) / rowHeight)) - 1;
            if (capacity < 1) {
                if (atPageTop()) {
                    failed(error, QStringLiteral("la grille ne tient pas sur la page"));
                    return false;
                }
                newPage(m_pageQuestionnaire.last());
                continue;
            }
            const qsizetype perColumn = std::min(capacity, (n - done + columns - 1) / columns);
            for (int c = 0; c < columns; ++c) {
                const qsizetype first = done + c * perColumn;
                if (first >= n)
                    break;
                gridBlock(q, x0 + c * (blockWidth + gap), number, boxWidth, rowHeight, first,
                    std::min(perColumn, n - first), {plain, bold, points, strong});
            }
            m_y += rowHeight * double(perColumn + 1);
            done = std::min(n, done + perColumn * columns);
            if (done < n)
                newPage(m_pageQuestionnaire.last());
        }
        const QString text = expand(m_layout.score, m_fields);
        if (!text.trimmed().isEmpty()) {
            m_y += 6 * kMm;
            if (m_y + lineHeight(score) > m_bodyBottom)
                newPage(m_pageQuestionnaire.last());
            items().append(textItem(x0 + total - advance(score, text), m_y + ascent(score), text, score));
            m_y += lineHeight(score);
        }
        return true;
    }

    struct GridFonts {
        int plain, bold, points, strong;
    };

    // The mark line in the verdict's colour: the words say it as well.
    void verdict(const ResultSheet &sheet)
    {
        const QString text = expand(m_layout.score, m_fields);
        if (text.trimmed().isEmpty())
            return;
        const int f = font(m_layout.scoreFont);
        const QColor colour = sheet.passed ? QColor(0x1B, 0x7A, 0x2E) : QColor(0xB0, 0x1C, 0x1C);
        QList<Slice> block;
        for (const Line &line : wrap(text, f, m_right - m_left)) {
            Slice s{lineHeight(f), {}, false};
            s.items.append(textItem(m_left + (m_right - m_left - line.width) / 2, ascent(f), line.text, f, colour));
            block.append(s);
        }
        block.append({6 * kMm, {}, false});
        place(block);
    }

    // One line per domain: its name, questions, points, maximum, percentage
    // and a bar, the pass line marked on it.
    bool domainTable(const ResultSheet &sheet, QString *error)
    {
        if (sheet.domains.isEmpty())
            return true;
        const int plain = font(m_layout.gridFont);
        const int bold = font(m_layout.gridFont, 1, true);
        const double rowHeight = m_layout.gridRowHeight * kMm;
        if (rowHeight < lineHeight(plain) + 1 * kMm) {
            failed(error, QStringLiteral("la hauteur de ligne du tableau est trop petite pour sa police"));
            return false;
        }
        const QStringList headers{QStringLiteral("Domaine"), QStringLiteral("Questions"), QStringLiteral("Points"),
            QStringLiteral("Maximum"), QStringLiteral("%")};
        QList<double> widths;
        for (int c = 1; c < headers.size(); ++c)
            widths.append(std::max(advance(bold, headers.at(c)), advance(plain, QStringLiteral("−000 %"))) + 4 * kMm);
        const double bar = 35 * kMm;
        double numbers = 0;
        for (double w : widths)
            numbers += w;
        const double nameWidth = m_right - m_left - numbers - bar - 3 * kMm;
        if (nameWidth < 30 * kMm) {
            failed(error, QStringLiteral("les marges et les tailles de police laissent trop peu de place au tableau"));
            return false;
        }
        const QColor ink(0x30, 0x30, 0x30);
        const double passRatio = sheet.maximum > 0 ? double(sheet.passMark) / sheet.maximum : 0;
        auto row = [&](const QStringList &cells, int f, bool stripe, std::optional<double> ratio) {
            Slice s{rowHeight, {}, false};
            if (stripe && m_layout.gridStripe.isValid())
                s.items.append(boxItem(QRectF(m_left, 0, m_right - m_left, rowHeight), m_layout.gridStripe));
            const double baseline = (rowHeight + ascent(f) - descent(f)) / 2;
            const QString name = metrics(f).elidedText(cells.at(0), Qt::ElideRight, nameWidth - 2 * kMm);
            s.items.append(textItem(m_left + 1 * kMm, baseline, name, f));
            double x = m_left + nameWidth;
            for (int c = 1; c < cells.size(); ++c) {
                x += widths.at(c - 1);
                s.items.append(textItem(x - 2 * kMm - advance(f, cells.at(c)), baseline, cells.at(c), f));
            }
            if (ratio) {
                const double left = m_right - bar, top = 1.2 * kMm, height = rowHeight - 2.4 * kMm;
                const double filled = bar * std::clamp(*ratio, 0.0, 1.0);
                const QColor fill = *ratio >= passRatio ? QColor(0x3C, 0xA0, 0x50) : QColor(0xD8, 0x6A, 0x3A);
                if (filled > 0)
                    s.items.append(boxItem(QRectF(left, top, filled, height), fill));
                s.items.append(boxItem(QRectF(left, top, bar, height), QColor(), ink, 0.5 * kPoint));
                const double pass = left + bar * passRatio;
                s.items.append(lineItem(
                    QPointF(pass, top - 0.6 * kMm), QPointF(pass, top + height + 0.6 * kMm), ink, 0.9 * kPoint));
            }
            return s;
        };
        QList<Slice> block;
        Slice head = row(headers, bold, false, std::nullopt);
        head.items.append(lineItem(QPointF(m_left, rowHeight), QPointF(m_right, rowHeight), ink, 0.9 * kPoint));
        block.append(head);
        place(block);
        for (int i = 0; i < sheet.domains.size(); ++i) {
            const ResultSheet::DomainLine &d = sheet.domains.at(i);
            const double ratio = d.maximum > 0 ? double(d.points) / d.maximum : 0;
            place({row({d.name, QString::number(d.questions), pointsText(d.points).remove(u'+'),
                           QString::number(d.maximum), percentText(d.points, d.maximum)},
                plain, i % 2 == 1, ratio)});
        }
        m_y += 8 * kMm;
        return true;
    }

    // A section of a table sheet. The columns take their texts' width; when
    // they overflow the page, the wide column gives way and its texts are cut
    // with an ellipsis.
    bool table(const TableSheet::Section &section, QString *error)
    {
        const int plain = font(m_layout.gridFont);
        const int bold = font(m_layout.gridFont, 1, true);
        const int headingFont = font(m_layout.questionFont);
        const double rowHeight = m_layout.gridRowHeight * kMm;
        if (rowHeight < lineHeight(plain) + 1 * kMm) {
            failed(error, QStringLiteral("la hauteur de ligne du tableau est trop petite pour sa police"));
            return false;
        }
        const qsizetype columns = section.columns.size();
        QList<double> widths;
        for (qsizetype c = 0; c < columns; ++c) {
            double w = advance(bold, section.columns.at(c));
            for (const QStringList &row : section.rows)
                w = std::max(w, advance(plain, row.value(c)));
            widths.append(w + 3 * kMm);
        }
        double total = 0;
        for (double w : widths)
            total += w;
        const double room = m_right - m_left;
        if (total > room && columns > 0) {
            qsizetype wide = section.wideColumn;
            if (wide < 0 || wide >= columns)
                wide = std::max_element(widths.begin(), widths.end()) - widths.begin();
            const double given = std::min(total - room, std::max(0.0, widths[wide] - 25 * kMm));
            widths[wide] -= given;
            total -= given;
            // Still too wide: the widest columns give way, down to a common width.
            if (total > room) {
                QList<double> sorted = widths;
                std::sort(sorted.begin(), sorted.end());
                double cap = 0, below = 0;
                for (qsizetype i = 0; i < sorted.size(); ++i) {
                    cap = (room - below) / double(sorted.size() - i);
                    if (cap <= sorted.at(i))
                        break;
                    below += sorted.at(i);
                }
                for (double &w : widths)
                    w = std::min(w, cap);
                if (cap < 12 * kMm) {
                    failed(error,
                        QStringLiteral("les marges et les tailles de police laissent trop peu de place au "
                                       "tableau"));
                    return false;
                }
            }
        }
        const QColor ink(0x30, 0x30, 0x30);
        auto row = [&](const QStringList &cells, int f, bool stripe) {
            Slice s{rowHeight, {}, false};
            if (stripe && m_layout.gridStripe.isValid())
                s.items.append(boxItem(QRectF(m_left, 0, m_right - m_left, rowHeight), m_layout.gridStripe));
            const double baseline = (rowHeight + ascent(f) - descent(f)) / 2;
            double x = m_left;
            for (qsizetype c = 0; c < columns; ++c) {
                const QString text = metrics(f).elidedText(cells.value(c), Qt::ElideRight, widths.at(c) - 2 * kMm);
                s.items.append(textItem(x + 1 * kMm, baseline, text, f));
                x += widths.at(c);
            }
            return s;
        };
        QList<Slice> block;
        if (!section.heading.isEmpty()) {
            for (const Line &line : wrap(section.heading, headingFont, room)) {
                Slice s{lineHeight(headingFont), {}, false};
                s.items.append(textItem(m_left, ascent(headingFont), line.text, headingFont));
                block.append(s);
            }
            block.append({2 * kMm, {}, false});
        }
        Slice head = row(section.columns, bold, false);
        head.items.append(lineItem(QPointF(m_left, rowHeight), QPointF(m_right, rowHeight), ink, 0.9 * kPoint));
        block.append(head);
        // The headings never end a page alone.
        if (!section.rows.isEmpty())
            block.append(row(section.rows.first(), plain, false));
        place(block);
        for (qsizetype i = 1; i < section.rows.size(); ++i)
            place({row(section.rows.at(i), plain, i % 2 == 1)});
        m_y += 8 * kMm;
        return true;
    }

    // Every question of the review: its statement and score, each choice with
    // the candidate's tick and its points.
    bool review(const ResultSheet &sheet, QString *error)
    {
        const int statement = font(m_layout.questionFont);
        const int answer = font(m_layout.answerFont);
        const int letter = font(m_layout.answerFont, 1, true);
        const int points = font(m_layout.pointsFont);
        const int strong = font(m_layout.pointsFont, 1, m_layout.positiveBold || m_layout.pointsFont.bold);
        const int heading = font(m_layout.subtitleFont, 1, true);
        const int reference = font(m_layout.pointsFont, 0.8, false);
        const QColor grey(0x60, 0x60, 0x60);
        const QColor ink(0x30, 0x30, 0x30);

        if (!sheet.reviewHeading.isEmpty()) {
            QList<Slice> block;
            for (const Line &line : wrap(sheet.reviewHeading, heading, m_right - m_left)) {
                Slice s{lineHeight(heading), {}, false};
                s.items.append(textItem(m_left, ascent(heading), line.text, heading));
                block.append(s);
            }
            block.append({3 * kMm, {}, false});
            place(block);
        }
        const QString widest = QStringLiteral("Score : −6 / 6");
        const double scoreWidth = advance(strong, widest) + 4 * kMm;
        const double number
            = advance(statement, QString(QString::number(sheet.review.size()).size() + 1, u'0')) + 2.5 * kMm;
        const double box = 3.2 * kMm;
        const double textLeft = m_left + number;
        const double letterLeft = textLeft + box + 2 * kMm;
        const double choiceLeft = letterLeft + advance(letter, QStringLiteral("M")) + 2 * kMm;
        const double pointsWidth = advance(strong, kMinus + QStringLiteral("6")) + 5 * kMm;
        const double choiceWidth = m_right - pointsWidth - choiceLeft;
        if (choiceWidth < 50 * kMm || m_right - scoreWidth - textLeft < 50 * kMm) {
            failed(
                error, QStringLiteral("les marges et les tailles de police laissent trop peu de place aux réponses"));
            return false;
        }
        const double pad = 0.7 * kMm;
        const double choiceBaseline = std::max(ascent(answer), ascent(strong));
        const double choiceLine = choiceBaseline + std::max(descent(answer), descent(strong));

        for (int i = 0; i < sheet.review.size(); ++i) {
            const ResultSheet::ReviewedQuestion &item = sheet.review.at(i);
            QList<Slice> block;
            if (i > 0)
                block.append(spacer(m_layout.questionSpacing * kMm));
            const QList<Line> lines = wrap(item.statement, statement, m_right - scoreWidth - textLeft);
            for (int k = 0; k < lines.size(); ++k) {
                Slice s{lineHeight(statement), {}, false};
                const double baseline = ascent(statement);
                if (k == 0) {
                    const QString n = QString::number(item.number) + u'.';
                    s.items.append(textItem(textLeft - 2.5 * kMm - advance(statement, n), baseline, n, statement));
                    const QString score
                        = frenchSpacing(QStringLiteral("Score : %1 / 6").arg(pointsText(item.score).remove(u'+')));
                    const QColor colour = item.score >= 6 ? QColor(0x1B, 0x7A, 0x2E) : QColor(0xB0, 0x1C, 0x1C);
                    s.items.append(textItem(m_right - advance(strong, score), baseline, score, strong, colour));
                }
                s.items.append(textItem(textLeft, baseline, lines.at(k).text, statement));
                block.append(s);
            }
            if (m_layout.showReferences && !item.reference.isEmpty()) {
                Slice s{lineHeight(reference), {}, false};
                s.items.append(textItem(textLeft, ascent(reference), item.reference, reference, grey));
                block.append(s);
            }
            block.append({1.2 * kMm, {}, false});
            for (int c = 0; c < kChoiceCount; ++c) {
                if (item.lib[size_t(c)].isEmpty())
                    continue;
                const std::optional<qint64> value = item.val[size_t(c)];
                const bool positive = value && *value > 0;
                const QList<Line> choice = wrap(item.lib[size_t(c)], answer, choiceWidth);
                for (int k = 0; k < choice.size(); ++k) {
                    const double top = k == 0 ? pad : 0;
                    Slice s{choiceLine + top + (k + 1 == choice.size() ? pad : 0), {}, false};
                    if (positive && m_layout.positiveFill.isValid())
                        s.items.append(
                            boxItem(QRectF(letterLeft - 1.2 * kMm, 0, m_right - letterLeft + 1.2 * kMm, s.height),
                                m_layout.positiveFill));
                    const double baseline = top + choiceBaseline;
                    if (k == 0) {
                        const QRectF tick(textLeft, baseline - box, box, box);
                        s.items.append(boxItem(tick, QColor(Qt::white), ink, 0.6 * kPoint));
                        if (item.ticked[size_t(c)]) {
                            s.items.append(lineItem(tick.topLeft(), tick.bottomRight(), ink, 1.0 * kPoint));
                            s.items.append(lineItem(tick.bottomLeft(), tick.topRight(), ink, 1.0 * kPoint));
                        }
                        s.items.append(textItem(letterLeft, baseline, QString(QChar(u'A' + c)), letter));
                        if (value) {
                            const int pf = positive ? strong : points;
                            const QString p = pointsText(int(std::clamp<qint64>(*value, -99, 99)));
                            s.items.append(textItem(m_right - 2 * kMm - advance(pf, p), baseline, p, pf));
                        }
                    }
                    s.items.append(textItem(choiceLeft, baseline, choice.at(k).text, answer));
                    block.append(s);
                }
            }
            place(block);
        }
        return true;
    }

    void gridBlock(const StoredQuestionnaire &q, double x, double number, double boxWidth, double rowHeight,
        qsizetype first, qsizetype count, GridFonts fonts)
    {
        const double y = m_y;
        const double width = number + kChoiceCount * boxWidth;
        const double height = rowHeight * double(count + 1);
        const QColor ink(0x30, 0x30, 0x30);
        auto centredText = [&](double left, double cellWidth, double top, const QString &text, int f) {
            const double baseline = top + (rowHeight + ascent(f) - descent(f)) / 2;
            items().append(textItem(left + (cellWidth - advance(f, text)) / 2, baseline, text, f));
        };
        for (qsizetype k = 1; k < count; k += 2)
            if (m_layout.gridStripe.isValid())
                items().append(
                    boxItem(QRectF(x, y + rowHeight * double(k + 1), width, rowHeight), m_layout.gridStripe));
        items().append(lineItem(QPointF(x, y + rowHeight), QPointF(x + width, y + rowHeight), ink, 0.9 * kPoint));
        items().append(lineItem(QPointF(x + number, y), QPointF(x + number, y + height), ink, 0.6 * kPoint));
        items().append(boxItem(QRectF(x, y, width, height), QColor(), ink, 0.9 * kPoint));
        centredText(x, number, y, QStringLiteral("N°"), fonts.bold);
        for (int c = 0; c < kChoiceCount; ++c)
            centredText(x + number + c * boxWidth, boxWidth, y, QString(QChar(u'A' + c)), fonts.bold);

        const double boxW = std::min(boxWidth * 0.7, boxWidth - 2 * kMm);
        const double boxH = rowHeight - 2.2 * kMm;
        for (qsizetype k = 0; k < count; ++k) {
            const QcmRow &row = q.rows.at(first + k);
            const double top = y + rowHeight * double(k + 1);
            centredText(x, number, top, QString::number(first + k + 1), fonts.plain);
            for (int c = 0; c < kChoiceCount; ++c) {
                if (row.lib[size_t(c)].isEmpty())
                    continue;
                const std::optional<int> value = row.val[size_t(c)];
                const bool positive = m_layout.showPoints && value && *value > 0;
                const double left = x + number + c * boxWidth;
                const QRectF box(left + (boxWidth - boxW) / 2, top + (rowHeight - boxH) / 2, boxW, boxH);
                items().append(boxItem(box, positive ? m_layout.positiveFill : QColor(Qt::white), ink, 0.6 * kPoint));
                if (m_layout.showPoints && value)
                    centredText(left, boxWidth, top, pointsText(*value), positive ? fonts.strong : fonts.points);
            }
        }
    }

    // Header and footer, once the number of pages is known.
    void bands(const std::function<Fields(int owner)> &fieldsOfOwner)
    {
        const QString pages = QString::number(m_doc->m_pages.size());
        for (int p = 0; p < m_doc->m_pages.size(); ++p) {
            Fields f = fieldsOfOwner(m_pageQuestionnaire.at(p));
            f.title = m_context.title;
            f.page = QString::number(p + 1);
            f.pages = pages;
            auto &page = m_doc->m_pages[p].items;
            if (hasText(m_layout.header)) {
                band(page, m_layout.header, f, m_headerBaseline);
                page.append(lineItem(QPointF(m_left, m_headerRule), QPointF(m_right, m_headerRule),
                    QColor(0xA0, 0xA0, 0xA0), 0.5 * kPoint));
            }
            if (hasText(m_layout.footer)) {
                band(page, m_layout.footer, f, m_footerBaseline);
                page.append(lineItem(QPointF(m_left, m_footerRule), QPointF(m_right, m_footerRule),
                    QColor(0xA0, 0xA0, 0xA0), 0.5 * kPoint));
            }
        }
    }

    // Three texts on one line; long ones are shortened with "…" rather than
    // left to overlap.
    void band(QList<Item> &page, const LayoutBand &layout, const Fields &fields, double baseline)
    {
        const int f = font(layout.font);
        const QFontMetricsF &fm = metrics(f);
        const double width = m_right - m_left;
        const double gap = 4 * kMm;
        QString left = expand(layout.left, fields), centre = expand(layout.centre, fields),
                right = expand(layout.right, fields);
        double leftRoom = 0, rightRoom = 0;
        if (centre.isEmpty()) {
            rightRoom = std::min(fm.horizontalAdvance(right), left.isEmpty() ? width : width * 0.6);
            leftRoom = width - rightRoom - (right.isEmpty() ? 0 : gap);
        } else {
            centre = fm.elidedText(centre, Qt::ElideRight, width * 0.5);
            leftRoom = rightRoom = (width - fm.horizontalAdvance(centre)) / 2 - gap;
        }
        left = fm.elidedText(left, Qt::ElideRight, leftRoom);
        right = fm.elidedText(right, Qt::ElideRight, rightRoom);
        if (!left.isEmpty())
            page.append(textItem(m_left, baseline, left, f, layout.color));
        if (!centre.isEmpty())
            page.append(
                textItem(m_left + (width - fm.horizontalAdvance(centre)) / 2, baseline, centre, f, layout.color));
        if (!right.isEmpty())
            page.append(textItem(m_right - fm.horizontalAdvance(right), baseline, right, f, layout.color));
    }

    const ReportLayout &m_layout;
    const ComposeContext &m_context;
    std::shared_ptr<ReportDocument> m_doc;
    QList<QFontMetricsF> m_metrics;
    QList<int> m_pageQuestionnaire;
    Fields m_fields;
    double m_left = 0, m_right = 0, m_bodyTop = 0, m_bodyBottom = 0, m_y = 0;
    double m_headerBaseline = 0, m_headerRule = 0, m_footerBaseline = 0, m_footerRule = 0;
};

std::shared_ptr<ReportDocument> composeResultSheet(
    const ReportLayout &layout, const ResultSheet &sheet, const ComposeContext &context, QString *error)
{
    ReportComposer composer(layout, context);
    return composer.runResult(sheet, error);
}

std::shared_ptr<ReportDocument> composeTableSheet(
    const ReportLayout &layout, const TableSheet &sheet, const ComposeContext &context, QString *error)
{
    ReportComposer composer(layout, context);
    return composer.runTable(sheet, error);
}

QPageLayout ReportDocument::pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

void ReportDocument::paintPage(QPainter &painter, int index) const
{
    if (index < 0 || index >= m_pages.size())
        return;
    painter.save();
    const QPaintDevice *device = painter.device();
    painter.scale(device->logicalDpiX() / kDotsPerInch, device->logicalDpiY() / kDotsPerInch);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const Item &item : m_pages.at(index).items) {
        switch (item.kind) {
        case Item::Kind::Text:
            painter.setFont(m_fonts.at(item.font));
            painter.setPen(item.pen);
            painter.drawText(item.rect.topLeft(), item.text);
            break;
        case Item::Kind::Box:
            painter.setPen(item.pen.isValid() ? QPen(item.pen, item.penWidth) : QPen(Qt::NoPen));
            painter.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
            painter.drawRect(item.rect);
            break;
        case Item::Kind::Line:
            painter.setPen(QPen(item.pen, item.penWidth, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(item.rect.topLeft(), item.rect.bottomRight());
            break;
        }
    }
    painter.restore();
}

bool ReportDocument::paintAll(QPagedPaintDevice &device, const std::function<bool(int painted)> &pagePainted) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int i = 0; i < m_pages.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        paintPage(painter, i);
        if (pagePainted && !pagePainted(i + 1)) {
            painter.end();
            return false;
        }
    }
    return painter.end();
}

QStringList ReportDocument::pageTexts(int index) const
{
    QStringList texts;
    for (const Item &item : m_pages.at(index).items)
        if (item.kind == Item::Kind::Text)
            texts.append(item.text);
    return texts;
}

std::shared_ptr<ReportDocument> composeReport(const ReportLayout &layout,
    const QList<StoredQuestionnaire> &questionnaires, const ComposeContext &context, QString *error)
{
    ReportComposer composer(layout, context);
    return composer.run(questionnaires, error);
}

} // namespace qcm
