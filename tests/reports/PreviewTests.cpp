#include "ReportFixture.h"

#include "reports/ReportPreview.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QPrinter>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QWindow>

using namespace qcm;
using namespace qcm::test;

namespace {

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        storeQuestionnaire(
            copy.path, u"Soixante"_s, u"01/09/2024"_s, u"Brevet B de delta"_s, WorkingCopy::generated(60));
    }

    // Opens the preview the way the engine does for the window destination.
    ReportPreview *open(PreviewServices services = {})
    {
        ReportRequest r = pdfRequest(copy, u"QCM Questions élève"_s, formulaFor(u"Soixante"_s));
        r.destination = ReportDestination::Window;
        r.preview = previewFactory(nullptr, std::move(services));
        EXPECT_EQ(RunReport(r), ReportCode::Ok);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *preview = qobject_cast<ReportPreview *>(w); preview && preview->isVisible())
                return preview;
        return nullptr;
    }

    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<ReportPreview *>(w))
                w->deleteLater();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    WorkingCopy copy;
};

TEST_F(PreviewTest, ShowsThePagesUnderExactlyItsTitleAndMovesFromPageToPage)
{
    QPointer<ReportPreview> preview = open();
    ASSERT_TRUE(preview);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
    EXPECT_EQ(preview->windowTitle(), u"QCM Questions"_s);
    EXPECT_EQ(preview->windowHandle()->title(), u"QCM Questions"_s);
    EXPECT_GT(preview->pageCount(), 3);
    EXPECT_EQ(preview->currentPage(), 1);
    EXPECT_FALSE(preview->previousPageAction()->isEnabled());
    EXPECT_FALSE(preview->printAction()->isEnabled()); // no print dialog was provided
    // Picture-only buttons are read out by the text of their action.
    for (QToolButton *button : preview->findChildren<QToolButton *>()) {
        if (button->defaultAction()) {
            EXPECT_EQ(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name).toStdString(),
                button->defaultAction()->text().toStdString());
        }
    }

    preview->nextPageAction()->trigger();
    EXPECT_EQ(preview->currentPage(), 2);
    EXPECT_EQ(preview->pageBox()->value(), 2);
    preview->pageBox()->setValue(3);
    EXPECT_EQ(preview->currentPage(), 3);
    preview->firstPageAction()->trigger();
    EXPECT_EQ(preview->currentPage(), 1);

    const double fitted = preview->zoomFactor();
    preview->zoomInAction()->trigger();
    EXPECT_GT(preview->zoomFactor(), fitted);

    // Closing deletes the window.
    preview->closeAction()->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(preview);
}

TEST_F(PreviewTest, PrintsThroughThePrintDialogOrNotAtAll)
{
    const QString pdf = QDir(copy.dir.path()).filePath(u"imprimé.pdf"_s);
    bool accept = false;
    int asked = 0;
    QStringList errors;
    ReportPreview *preview = open({[&](QPrinter &printer) {
                                       ++asked;
                                       printer.setOutputFormat(QPrinter::PdfFormat);
                                       printer.setOutputFileName(pdf);
                                       return accept;
                                   },
        [&](const QString &message) { errors.append(message); }});
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->printAction()->isEnabled());

    EXPECT_EQ(preview->print(), ReportCode::Ok); // cancelled
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(QFile::exists(pdf));

    accept = true;
    preview->printAction()->trigger();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(errors.isEmpty());
    ASSERT_TRUE(QFile::exists(pdf));
    if (havePdfToText()) {
        const QString text = pdfText(pdf);
        EXPECT_EQ(text.count(u"──────── page "_s), preview->pageCount() - 1);
        EXPECT_TRUE(text.contains(u"Réponse A de la question 60"_s));
    }
}

} // namespace
