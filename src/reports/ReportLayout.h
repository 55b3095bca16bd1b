#pragma once

#include <QColor>
#include <QMarginsF>
#include <QString>

#include <optional>

namespace qcm {

// A font as an instructor writes it in a layout file.
struct LayoutFont {
    QString family = QStringLiteral("DejaVu Sans");
    double size = 10; // points
    bool bold = false;
    bool italic = false;
};

// Texts shown left, centred and right in the page header or footer.
struct LayoutBand {
    QString left, centre, right;
    LayoutFont font;
    QColor color;
};

// One of the five printed layouts, read from its text file (".rpt"). Texts may
// hold placeholders such as {nom} or {page}; they are replaced when printing.
// Lengths are in millimetres.
struct ReportLayout {
    // Table: rows of results under their headings, for the results views.
    enum class Model { Questions, Grid, Result, Table };

    Model model = Model::Questions;
    bool showPoints = false;
    bool showReferences = false;

    QMarginsF margins{18, 14, 18, 14}; // left, top, right, bottom

    QString title = QStringLiteral("{nom}");
    LayoutFont titleFont{QStringLiteral("DejaVu Sans"), 16, true, false};
    QString subtitle1 = QStringLiteral("{spécialité}");
    QString subtitle2 = QStringLiteral("QCM du {date}");
    LayoutFont subtitleFont{QStringLiteral("DejaVu Sans"), 11, false, false};

    bool studentLine = true;
    QString studentName = QStringLiteral("Nom et prénom :");
    QString studentDate = QStringLiteral("Date :");
    LayoutFont studentFont{QStringLiteral("DejaVu Sans"), 10, false, false};

    LayoutFont questionFont{QStringLiteral("DejaVu Sans"), 10, true, false};
    double questionSpacing = 4;
    LayoutFont answerFont{QStringLiteral("DejaVu Serif"), 10, false, false};

    LayoutFont pointsFont{QStringLiteral("DejaVu Sans"), 10, false, false};
    QColor positiveFill{0xE0, 0xE0, 0xE0};
    bool positiveBold = true;

    int gridColumns = 2;
    double gridRowHeight = 6.5;
    double gridBoxWidth = 10;
    LayoutFont gridFont{QStringLiteral("DejaVu Sans"), 10, false, false};
    QColor gridStripe{0xF2, 0xF2, 0xF2};

    QString score = QStringLiteral("Note : ............ / {maximum}");
    LayoutFont scoreFont{QStringLiteral("DejaVu Sans"), 12, true, false};

    LayoutBand header{QStringLiteral("{nom}"), QString(), QStringLiteral("{spécialité}"),
        {QStringLiteral("DejaVu Sans"), 8, false, false}, QColor(0x55, 0x55, 0x55)};
    LayoutBand footer{QStringLiteral("{titre}"), QString(), QStringLiteral("Page {page} / {pages}"),
        {QStringLiteral("DejaVu Sans"), 8, false, false}, QColor(0x55, 0x55, 0x55)};
};

// The placeholders a layout text may hold, in the order they are documented.
const QStringList &layoutPlaceholders();
// Those a result sheet adds: the candidate, the mark and its verdict.
const QStringList &resultPlaceholders();

// Reads a layout file. The format is strict: an unknown section, key, value or
// placeholder is an error whose French text names the file and the line.
class LayoutReader {
public:
    enum class Failure { None, Missing, Unreadable, Invalid };

    std::optional<ReportLayout> readFile(const QString &path);
    // fileName only serves the messages.
    std::optional<ReportLayout> parse(const QByteArray &content, const QString &fileName);

    Failure failure() const { return m_failure; }
    QString error() const { return m_error; }

private:
    std::nullopt_t fail(Failure failure, const QString &message);

    Failure m_failure = Failure::None;
    QString m_error;
};

// French spacing for the texts the program writes itself: a space before ":",
// ";", "?" or "!" becomes a non-breaking one, so the sign never starts a line.
QString frenchSpacing(const QString &text);

} // namespace qcm
