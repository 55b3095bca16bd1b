#include "PaperGridFixture.h"

#include "exam/ExamPaper.h"
#include "papergrid/PaperGrid.h"
#include "papergrid/PaperGridDialog.h"
#include "state/QCMBas.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

using namespace qcm;
using namespace qcm::test;

namespace {

ExamQuestion fourChoices()
{
    ExamQuestion q;
    q.domainCode = u"1"_s;
    q.numero = 7;
    q.statement = u"Que dit la loi ?"_s;
    const int points[] = {6, -2, 0, -1};
    for (int i = 0; i < 4; ++i) {
        q.lib[size_t(i)] = u"Réponse %1"_s.arg(QChar(u'A' + i));
        q.val[size_t(i)] = points[i];
    }
    return q;
}

TEST(GridRows, LettersAreReadAsTheyAreTypedAndRefusedWithTheirReason)
{
    const struct {
        const char *typed;
        quint8 ticks;
        const char *refusal;
    } rows[] = {
        {"AC", 0b101, ""},
        {"ca", 0b101, ""},
        {"", 0, ""}, // no tick on that row
        {" b d ", 0b1010, ""},
        {"AA", 0b1, ""},
        {"AG", 0, "« G » n'est pas une réponse : tapez les lettres A à F."},
        {"A1", 0, "« 1 » n'est pas une réponse : tapez les lettres A à F."},
        {"A;", 0, "« ; » n'est pas une réponse : tapez les lettres A à F."},
        {"E", 0, "Cette question n'a pas de réponse E."}, // beyond the question's four choices
        {"bf", 0, "Cette question n'a pas de réponse F."},
    };
    const ExamQuestion q = fourChoices();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        const GridRow parsed = parseGridRow(QString::fromUtf8(row.typed), q);
        EXPECT_EQ(parsed.refusal, QString::fromUtf8(row.refusal));
        EXPECT_EQ(parsed.ticks, row.ticks);
    }
}

TEST(GridRows, ARowIsCorrectedUntilStoredAndARefusedCorrectionKeepsWhatWasThere)
{
    PaperGrid grid({fourChoices(), fourChoices(), fourChoices()});
    EXPECT_EQ(grid.firstUntyped(), 0);
    EXPECT_TRUE(grid.setRow(0, u"B"_s).isEmpty());
    EXPECT_TRUE(grid.setRow(1, u""_s).isEmpty());
    EXPECT_EQ(grid.firstUntyped(), 2);
    EXPECT_TRUE(grid.setRow(0, u"a"_s).isEmpty());
    EXPECT_EQ(grid.rowLetters(0), u"A"_s);
    EXPECT_FALSE(grid.setRow(0, u"AE"_s).isEmpty());
    EXPECT_EQ(grid.rowLetters(0), u"A"_s);
    EXPECT_TRUE(grid.isTyped(1));
    EXPECT_FALSE(grid.isTyped(2));
    EXPECT_EQ(grid.typedCount(), 2);
    EXPECT_FALSE(grid.setRow(3, u"A"_s).isEmpty()) << "no such row";
    // A, nothing, nothing: 6 + 0 + 0.
    EXPECT_EQ(grid.scores(NegativePoints::FloorEachQuestion), (QList<int>{6, 0, 0}));
    EXPECT_EQ(grid.mark(NegativePoints::FloorEachQuestion), 6);
}

TEST(GridRows, CandidateNamesAreRefusedWhenEmptyTooLongOrInvisible)
{
    EXPECT_TRUE(candidateRefusal(u"  Élodie Martin "_s).isEmpty());
    EXPECT_FALSE(candidateRefusal(u"   "_s).isEmpty());
    EXPECT_FALSE(candidateRefusal(QString(kCandidateNameMax + 1, u'a')).isEmpty());
    EXPECT_FALSE(candidateRefusal(u"Jean\u0007"_s).isEmpty());
}

using PaperCopies = PaperGridFiles;

TEST_F(PaperCopies, AGridIsMarkedByTheExamsRulesAndStoredWholeAsAPaperCopy)
{
    auto store = openResults();
    const Paper paper = questionnairePaper(BankModel(bankConnection()), kPaper);
    ASSERT_EQ(paper.questions.size(), 5);
    PaperGrid grid(paper.questions);
    // 6, -2 then floored to 0, 6 - 1 = 5, nothing, A and B: 4.
    for (const auto &[row, letters] : {std::pair{0, u"A"_s}, {1, u"B"_s}, {2, u"AD"_s}, {3, u""_s}, {4, u"ab"_s}})
        ASSERT_TRUE(grid.setRow(row, letters).isEmpty());
    const PaperCopyDetails details{
        u" Élodie "_s, bankPath, kPaper, QDateTime({2026, 12, 1}, {10, 0}), 75, NegativePoints::FloorEachQuestion};
    ExamRecord stored;
    ASSERT_FALSE(storePaperCopy(*store, grid, details, dialogs.now(), &stored));

    const std::optional<ExamRecord> back = store->exam(stored.id);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->state, ExamState::PaperCopy);
    EXPECT_EQ(back->candidate, u"Élodie"_s);
    EXPECT_EQ(back->paperName, kPaper);
    EXPECT_EQ(back->mark, 15);
    EXPECT_EQ(back->maximum, 30);
    EXPECT_EQ(back->passMark, 23);
    EXPECT_EQ(back->questions.at(2).ticks, 0b1001);
    EXPECT_EQ(queryRows(resultsPath(), u"SELECT score FROM exam_questions ORDER BY position"_s),
        (QStringList{u"6"_s, u"0"_s, u"5"_s, u"0"_s, u"4"_s}));
    EXPECT_TRUE(queryValue(resultsPath(), u"SELECT state || '|' || ended_at FROM exams"_s)
                    .startsWith(u"copie papier|2026-12-01T10:00:00"_s));

    // Carried negative points mark the same ticks lower.
    PaperCopyDetails carry = details;
    carry.negative = NegativePoints::CarryToTotal;
    ASSERT_FALSE(storePaperCopy(*store, grid, carry, dialogs.now(), &stored));
    EXPECT_EQ(stored.mark, 13);

    // A nameless copy stores nothing.
    PaperCopyDetails nameless = details;
    nameless.candidate = u" "_s;
    EXPECT_TRUE(storePaperCopy(*store, grid, nameless, dialogs.now()));
    EXPECT_EQ(store->examCount(), 2);
}

class PaperGridBox : public PaperGridFiles {
protected:
    void SetUp() override
    {
        PaperGridFiles::SetUp();
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
        store = openResults();
    }
    void chooseQuestionnaire(PaperGridDialog &box)
    {
        box.questionnaire()->setCurrentIndex(box.questionnaire()->findText(kPaper));
        Q_EMIT box.questionnaire()->activated(box.questionnaire()->currentIndex());
    }
    void type(PaperGridDialog &box, const QString &letters)
    {
        QTest::keyClicks(box.answers(), letters);
        QTest::keyClick(box.answers(), Qt::Key_Return);
    }

    QCMBas state{dialogs, folder.path()};
    std::unique_ptr<ResultsStore> store;
};

TEST_F(PaperGridBox, RowsAreTypedOneAfterTheOtherAWrongLetterBeepsAtOnceAndARowIsCorrectedBeforeSaving)
{
    PaperGridDialog box(state, *store);
    box.show();
    EXPECT_EQ(box.windowTitle(), u"Saisir une copie papier"_s);
    EXPECT_FALSE(box.saveButton()->isEnabled());
    chooseQuestionnaire(box);
    ASSERT_EQ(box.grid().rowCount(), 5);
    EXPECT_TRUE(box.rowHeading()->text().startsWith(u"Ligne 1 sur 5 (1.1) : Question 1.1 ?"_s))
        << box.rowHeading()->text().toStdString();

    type(box, u"a"_s);
    EXPECT_EQ(box.currentRow(), 1);
    EXPECT_TRUE(box.rowHeading()->text().startsWith(u"Ligne 2 sur 5"_s));
    QTest::keyClicks(box.answers(), u"bx"_s);
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(box.message()->text(), u"« x » n'est pas une réponse : tapez les lettres A à F."_s);
    EXPECT_EQ(box.answers()->text(), u"B"_s) << "the wrong letter goes, the right one stays";
    QTest::keyClicks(box.answers(), u"e"_s);
    EXPECT_EQ(dialogs.beeps, 2);
    EXPECT_EQ(box.message()->text(), u"Cette question n'a pas de réponse E."_s);
    QTest::keyClick(box.answers(), Qt::Key_Return);
    type(box, u""_s); // no tick on row 3
    EXPECT_EQ(box.progress()->text(), u"3 ligne(s) saisie(s) sur 5 ; note provisoire : 6 sur 30"_s);

    // Back up to row 1, typed again.
    QTest::keyClick(box.answers(), Qt::Key_Up);
    QTest::keyClick(box.answers(), Qt::Key_Up);
    QTest::keyClick(box.answers(), Qt::Key_Up);
    EXPECT_EQ(box.currentRow(), 0);
    EXPECT_EQ(box.answers()->text(), u"A"_s);
    type(box, u"b"_s);
    EXPECT_EQ(box.grid().rowLetters(0), u"B"_s);

    box.candidate()->setEditText(u"Élodie"_s);
    dialogs.boxAnswers = {0, 0}; // store with two rows not typed; the stored copy's note
    box.saveButton()->click();
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes[0].message,
        u"2 ligne(s) sur 5 n'ont pas été saisies, à partir de la ligne 4 : elles comptent comme sans réponse.\r\n"
        "Enregistrer la copie quand même ?"_s);
    EXPECT_EQ(dialogs.boxes[1].message, u"La copie de Élodie est enregistrée : 0 sur 30 (0 %), ajourné."_s);
    ASSERT_TRUE(box.stored());
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_EQ(store->exam(box.stored()->id)->state, ExamState::PaperCopy);
}

TEST_F(PaperGridBox, ACopyWithoutANameOrThatCannotBeStoredKeepsItsRowsOnScreen)
{
    PaperGridDialog box(state, *store);
    box.show();
    chooseQuestionnaire(box);
    for (const QString &letters : {u"A"_s, u"A"_s, u"A"_s, u"A"_s, u"A"_s})
        type(box, letters);
    dialogs.boxAnswers = {0};
    box.saveButton()->click();
    EXPECT_EQ(dialogs.boxes.value(0).message, u"Indiquez le nom du candidat."_s);

    // The file refuses the write: nothing stored, nothing typed lost.
    execOn(resultsPath(), u"CREATE TRIGGER no_copies BEFORE INSERT ON exams BEGIN SELECT RAISE(ABORT, 'refus'); END"_s);
    box.candidate()->setEditText(u"Paul"_s);
    dialogs.boxAnswers = {0};
    box.saveButton()->click();
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_TRUE(dialogs.boxes[1].message.startsWith(u"La copie n'a pas été enregistrée ; la saisie reste ouverte."_s));
    EXPECT_FALSE(box.stored());
    EXPECT_EQ(box.grid().typedCount(), 5);
    EXPECT_EQ(queryValue(resultsPath(), u"SELECT count(*) FROM candidates"_s), u"0"_s);

    // Leaving asks first, then the rows are let go.
    dialogs.boxAnswers = {1, 0};
    box.reject();
    EXPECT_TRUE(box.isVisible());
    box.reject();
    EXPECT_EQ(box.result(), QDialog::Rejected);
}

TEST_F(PaperGridBox, TheEntryPointSaysWhetherACopyWasStored)
{
    auto fill = [this](bool save) {
        QTimer::singleShot(0, [this, save] {
            auto *box = qobject_cast<PaperGridDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            if (!save) {
                box->reject();
                return;
            }
            chooseQuestionnaire(*box);
            for (int row = 0; row < 5; ++row)
                type(*box, u"a"_s);
            box->candidate()->setEditText(u"Camille"_s);
            box->saveButton()->click();
        });
    };
    fill(false);
    EXPECT_FALSE(enterPaperGrid(state, *store, nullptr));
    dialogs.boxAnswers = {0};
    fill(true);
    EXPECT_TRUE(enterPaperGrid(state, *store, nullptr));
    EXPECT_EQ(dialogs.boxes.value(0).message, u"La copie de Camille est enregistrée : 30 sur 30 (100 %), reçu."_s);
    EXPECT_EQ(store->examCount(), 1);
}

} // namespace
