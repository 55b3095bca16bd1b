#pragma once

#include "ReportData.h"
#include "ReportLayout.h"
#include "ResultSheet.h"
#include "TableSheet.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QPagedPaintDevice;
class QPainter;

namespace qcm {

// A report laid out into A4 pages, ready to be painted on a PDF file, a
// printer or a preview. Positions are in dots of 1/1200 inch from the top-left
// corner of the sheet, so that the same pages paint on any resolution.
class ReportDocument {
public:
    static constexpr double kDotsPerInch = 1200;

    struct Item {
        enum class Kind { Text, Box, Line };
        Kind kind = Kind::Text;
        // Text: left end of the baseline in topLeft(). Box: the rectangle.
        // Line: from topLeft() to bottomRight().
        QRectF rect;
        QString text;
        int font = 0;
        QColor pen; // no colour: no outline
        QColor fill; // no colour: no filling
        double penWidth = 0;
    };
    struct Page {
        QList<Item> items;
    };

    QString title() const { return m_title; }
    int pageCount() const { return int(m_pages.size()); }
    const Page &page(int index) const { return m_pages.at(index); }
    // A4 portrait without margins: the pages carry their own.
    static QPageLayout pageLayout();

    // Paints one page on a painter whose device shows the whole sheet.
    void paintPage(QPainter &painter, int index) const;
    // Paints every page on a PDF writer or a printer set to pageLayout().
    // False when the device refuses to start or to add a page, or when
    // pagePainted, told the number of pages painted after each one, says stop.
    bool paintAll(QPagedPaintDevice &device, const std::function<bool(int painted)> &pagePainted = {}) const;

    // The texts drawn on a page, in drawing order.
    QStringList pageTexts(int index) const;

private:
    friend class ReportComposer;

    QString m_title;
    QList<QFont> m_fonts;
    QList<Page> m_pages;
};

// What the pages say beside the data.
struct ComposeContext {
    QString title; // the title of the run, for {titre}
    std::optional<QString> filterName; // the name the selection asked for
};

// Lays out the questionnaires with a layout. Fails only when the layout leaves
// no room for what it must show; *error then says why, in French, as the end
// of a sentence.
std::shared_ptr<ReportDocument> composeReport(const ReportLayout &layout,
    const QList<StoredQuestionnaire> &questionnaires, const ComposeContext &context, QString *error);

// Lays out a mock exam's result sheet with a layout of the result model: the
// mark and its verdict, the table of domains with their bars, the review.
std::shared_ptr<ReportDocument> composeResultSheet(
    const ReportLayout &layout, const ResultSheet &sheet, const ComposeContext &context, QString *error);

// Lays out tables of results with a layout of the table model: each
// section's heading, its column headings, its rows striped.
std::shared_ptr<ReportDocument> composeTableSheet(
    const ReportLayout &layout, const TableSheet &sheet, const ComposeContext &context, QString *error);

} // namespace qcm
