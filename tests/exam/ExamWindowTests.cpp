#include "ExamWindowFixture.h"

#include "reports/ReportEngine.h"
#include "runner/fQCM.h"
#include "state/IniFile.h"

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QFile>
#include <QProcess>
#include <QTableView>

#include <csignal>

using namespace qcm;
using namespace qcm::test;

namespace {

QString accessibleName(QObject *object)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(object);
    return i ? i->text(QAccessible::Name) : QString();
}

TEST_F(ExamWindows, TheSetupBoxNeedsANameAndRemembersItsChoices)
{
    desk.openSetup();
    fExamSetup *box = desk.setupBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), u"Examen blanc"_s);
    EXPECT_EQ(box->available()->text(), u"80 questions correspondent aux spécialités cochées."_s);
    EXPECT_EQ(box->passMark()->text(), u"soit 270 / 360"_s);
    box->speciality(0)->setChecked(false);
    EXPECT_EQ(box->available()->text(), u"Aucune question ne correspond aux spécialités cochées."_s);
    dialogs.boxAnswers = {0};
    box->begin();
    EXPECT_EQ(dialogs.boxes.takeLast(), Box(u"Indiquez le nom du candidat."_s, 2, u"Examen blanc"_s, u"OK"_s));
    box->candidate()->setEditText(u"  Camille   Martin "_s);
    dialogs.boxAnswers = {0};
    box->begin();
    EXPECT_EQ(
        dialogs.boxes.takeLast().message, u"Aucune question de la banque ne correspond aux spécialités cochées."_s);
    box->speciality(0)->setChecked(true);
    box->questionCount()->setValue(81);
    dialogs.boxAnswers = {0};
    box->begin();
    EXPECT_EQ(dialogs.boxes.takeLast().message,
        u"Les spécialités cochées ne comptent que 80 questions : choisissez-en au plus 80, ou cochez d'autres "
        "spécialités."_s);
    EXPECT_EQ(desk.examWindow(), nullptr) << "nothing starts on a refusal";

    box->questionCount()->setValue(40);
    box->duration()->setValue(0);
    box->passPercent()->setValue(80);
    box->carryToTotal()->setChecked(true);
    EXPECT_EQ(box->passMark()->text(), u"soit 192 / 240"_s);
    box->startButton()->click();
    ASSERT_NE(desk.examWindow(), nullptr);
    const ExamRecord &exam = desk.examWindow()->session().exam();
    EXPECT_EQ(exam.candidate, u"Camille Martin"_s);
    EXPECT_EQ(exam.questions.size(), 40);
    EXPECT_EQ(exam.passMark, 192);
    EXPECT_FALSE(exam.durationSeconds);
    EXPECT_EQ(exam.negative, NegativePoints::CarryToTotal);
    EXPECT_EQ(exam.paperName, u"Tirage de 40 questions – Parapente"_s);
    const ExamSettings kept = ExamSettingsFile::read(state.IniPath);
    EXPECT_EQ(kept.questionCount, 40);
    EXPECT_EQ(kept.durationMinutes, 0);
    EXPECT_EQ(kept.passPercent, 80);
    EXPECT_EQ(kept.negative, NegativePoints::CarryToTotal);
    EXPECT_EQ(desk.examWindow()->timeLeft()->text(), u"Sans limite de temps – 00:00"_s);

    // The next box opens on the same choices, the last candidate first.
    dialogs.boxAnswers = {0, 1}; // hand in although unanswered; then do not retake
    desk.examWindow()->askHandIn();
    ASSERT_NE(desk.resultWindow(), nullptr);
    desk.resultWindow()->close();
    QTest::qWait(0);
    desk.openSetup();
    box = desk.setupBox();
    EXPECT_EQ(box->candidate()->currentText(), u"Camille Martin"_s);
    EXPECT_EQ(box->questionCount()->value(), 40);
    EXPECT_EQ(box->duration()->text(), u"sans limite"_s);
    EXPECT_TRUE(box->carryToTotal()->isChecked());
    box->reject();
    dialogs.boxAnswers.clear();
}

TEST_F(ExamWindows, KeysTickAsInThePracticeWindowAndTheStripFollows)
{
    fExam &exam = sit();
    exam.show();
    EXPECT_EQ(exam.windowTitle(), u"Examen blanc"_s);
    EXPECT_EQ(exam.position()->text(), u"Question n° 1 sur 60"_s);
    QTest::keyClick(&exam, Qt::Key_1);
    QTest::keyClick(&exam, Qt::Key_3);
    QTest::keyClick(&exam, Qt::Key_6); // no sixth choice: nothing
    EXPECT_TRUE(exam.tick(0)->isChecked());
    EXPECT_TRUE(exam.tick(2)->isChecked());
    EXPECT_EQ(exam.session().question(0).ticks, 0b101);
    QTest::keyClick(&exam, Qt::Key_3);
    EXPECT_EQ(exam.session().question(0).ticks, 0b001);
    // A click on a choice's text ticks it too.
    QTest::mouseClick(exam.choice(1), Qt::LeftButton);
    EXPECT_EQ(exam.session().question(0).ticks, 0b011);

    exam.nextButton()->click();
    EXPECT_EQ(exam.position()->text(), u"Question n° 2 sur 60"_s);
    EXPECT_FALSE(exam.tick(0)->isChecked()) << "each question shows its own ticks";
    exam.flag()->setChecked(true);
    // The strip: by keyboard to question 5, back to 1 with a click.
    exam.strip()->setFocus();
    QTest::keyClick(exam.strip(), Qt::Key_Right);
    QTest::keyClick(exam.strip(), Qt::Key_Right);
    QTest::keyClick(exam.strip(), Qt::Key_Right);
    EXPECT_EQ(exam.position()->text(), u"Question n° 5 sur 60"_s);
    const QModelIndex first = exam.strip()->model()->index(0, 0);
    QTest::mouseClick(exam.strip()->viewport(), Qt::LeftButton, {}, exam.strip()->visualRect(first).center());
    EXPECT_EQ(exam.position()->text(), u"Question n° 1 sur 60"_s);
    EXPECT_TRUE(exam.tick(0)->isChecked());
    EXPECT_FALSE(exam.previousButton()->isEnabled());
    EXPECT_EQ(queryValue(resultsPath(),
                  u"SELECT group_concat(ticks || flagged, ',') FROM exam_questions "
                  "WHERE position < 2 ORDER BY position"_s),
        u"AB0,1"_s);
}

TEST_F(ExamWindows, AtZeroThePaperIsHandedInByItselfAfterTheWarnings)
{
    fExam &exam = sit(u"Camille"_s, 11);
    QTest::keyClick(&exam, Qt::Key_1);
    exam.nextButton()->click();
    exam.flag()->setChecked(true);
    // What was said aloud: the platform's screen reader bridge is not there
    // offscreen, so the announcements are counted where they are sent.
    QStringList said;
    QObject::connect(&exam, &fExam::announced, &exam, [&said](const QString &text) { said.append(text); });
    auto alerts = [&] {
        if (!said.isEmpty()) {
            EXPECT_EQ(accessibleName(exam.warning()), said.last()) << "the warning reads as it shows";
        }
        return std::exchange(said, {});
    };
    EXPECT_FALSE(exam.warning()->isVisible());
    dialogs.advance(59);
    exam.clockTick();
    EXPECT_EQ(exam.timeLeft()->text(), u"Temps restant : 10:01"_s);
    EXPECT_EQ(alerts(), QStringList());
    dialogs.advance(1);
    exam.clockTick();
    EXPECT_EQ(alerts(), QStringList{u"Attention : il reste 10 minutes."_s});
    EXPECT_TRUE(exam.warning()->isVisible());
    dialogs.advance(30);
    exam.clockTick();
    EXPECT_EQ(alerts(), QStringList()) << "said once";
    dialogs.advance(5 * 60);
    exam.clockTick();
    EXPECT_EQ(alerts(), QStringList{u"Attention : il reste 5 minutes."_s});
    dialogs.advance(4 * 60 - 30);
    exam.clockTick();
    EXPECT_EQ(exam.timeLeft()->text(), u"Temps restant : 01:00"_s);
    EXPECT_EQ(alerts(), QStringList{u"Attention : il reste 1 minute."_s});
    dialogs.advance(59);
    exam.clockTick();
    EXPECT_EQ(exam.timeLeft()->text(), u"Temps restant : 00:01"_s);
    ASSERT_EQ(desk.resultWindow(), nullptr);

    dialogs.boxAnswers = {0};
    dialogs.advance(1);
    exam.clockTick();
    EXPECT_EQ(dialogs.boxes.takeLast(),
        Box(u"Le temps est écoulé : votre copie a été rendue."_s, 0, u"Examen blanc"_s, u"OK"_s));
    ASSERT_NE(desk.resultWindow(), nullptr);
    const ExamRecord &done = desk.resultWindow()->exam();
    EXPECT_EQ(done.state, ExamState::TimeUp);
    EXPECT_EQ(done.secondsUsed, 11 * 60);
    EXPECT_EQ(done.mark, 6);
    EXPECT_EQ(queryValue(resultsPath(), u"SELECT state || '|' || mark || '|' || time_left_s FROM exams"_s),
        u"temps écoulé|6|0"_s);
}

TEST_F(ExamWindows, HandingInAsksFirstNamingWhatIsUnansweredAndFlagged)
{
    fExam &exam = sit(u"Camille"_s, 60, 3);
    exam.show();
    QTest::keyClick(&exam, Qt::Key_1);
    exam.flag()->setChecked(true);
    exam.nextButton()->click();
    exam.flag()->setChecked(true);
    dialogs.boxAnswers = {1};
    exam.handInButton()->click();
    EXPECT_EQ(dialogs.boxes.takeLast(),
        Box(u"Il reste 2 questions sans réponse et 2 questions marquées « À revoir »."_s + kCrLf
                + u"Voulez-vous rendre la copie quand même ?"_s,
            9, u"Examen blanc"_s, u"Rendre la copie"_s, u"Annuler"_s, {}, 2));
    EXPECT_EQ(desk.resultWindow(), nullptr);
    EXPECT_EQ(exam.session().exam().state, ExamState::InProgress);

    // All answered and nothing flagged: handed in at once.
    for (int p = 0; p < 3; ++p) {
        exam.showPosition(p);
        if (!exam.tick(0)->isChecked())
            QTest::keyClick(&exam, Qt::Key_1);
        exam.flag()->setChecked(false);
    }
    exam.handInButton()->click();
    ASSERT_NE(desk.resultWindow(), nullptr);
    EXPECT_EQ(desk.resultWindow()->exam().state, ExamState::HandedIn);
    EXPECT_EQ(desk.resultWindow()->verdict()->text(), u"Reçu"_s);
}

TEST_F(ExamWindows, ClosingOffersToHandInToKeepForLaterOrToGoOnAndNonKeepsTheExamAsAbandoned)
{
    fExam &exam = sit();
    exam.show();
    QTest::keyClick(&exam, Qt::Key_1);
    const Box question(u"L'examen blanc n'est pas terminé."_s + kCrLf
            + u"Vous pouvez rendre la copie maintenant, le garder pour plus tard (il vous sera proposé au prochain "
              "démarrage, avec le temps qui restait) ou continuer."_s
            + kCrLf + u"Que voulez-vous faire ?"_s,
        9, u"Examen blanc"_s, u"Continuer"_s, u"Plus tard"_s, u"Rendre la copie"_s, 2);
    for (int answer : {0, ScriptedDialogs::kClosedByCloseBox}) {
        dialogs.boxAnswers = {answer};
        exam.close();
        EXPECT_EQ(dialogs.boxes.takeLast(), question);
        EXPECT_TRUE(exam.isVisible()) << "going on, whether asked for or by closing the box";
    }
    dialogs.advance(20 * 60 + 30);
    dialogs.boxAnswers = {1};
    exam.close();
    QTest::qWait(0);
    EXPECT_EQ(desk.examWindow(), nullptr);
    EXPECT_EQ(queryValue(resultsPath(), u"SELECT state || '|' || time_left_s FROM exams"_s), u"en cours|2370"_s);

    // The next start offers it; "Non" keeps it, abandoned, with its answers.
    dialogs.boxAnswers = {1};
    desk.offerResume();
    EXPECT_EQ(dialogs.boxes.takeLast(),
        Box(u"Un examen blanc de Camille est en cours (40 min restantes). Le reprendre ?"_s, 9, u"Examen blanc"_s,
            u"Oui"_s, u"Non"_s, {}, 2));
    EXPECT_EQ(desk.examWindow(), nullptr);
    EXPECT_EQ(queryValue(resultsPath(), u"SELECT state FROM exams"_s), u"abandonné"_s);
    EXPECT_EQ(queryValue(resultsPath(), u"SELECT count(*) FROM exam_questions WHERE ticks = 'A'"_s), u"1"_s);
    desk.offerResume(); // nothing left to offer
}

TEST_F(ExamWindows, AnExamKilledHalfwayResumesOnTheSameQuestionsTicksAndTimeLeft)
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({u"--enfant-examen"_s, folder.path()});
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start();
    ASSERT_TRUE(child.waitForStarted());
    QByteArray said;
    while (!said.contains("PRET") && child.waitForReadyRead(60000))
        said += child.readAllStandardOutput();
    ASSERT_TRUE(said.contains("PRET")) << said.constData();
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished());
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    const QStringList before = queryRows(
        resultsPath(), u"SELECT position, statement, ticks, flagged FROM exam_questions ORDER BY position"_s);
    ASSERT_EQ(before.size(), 60);

    dialogs.boxAnswers = {0};
    desk.offerResume();
    EXPECT_EQ(dialogs.boxes.takeLast().message,
        u"Un examen blanc de Dominique est en cours (35 min restantes). Le reprendre ?"_s);
    fExam *exam = desk.examWindow();
    ASSERT_NE(exam, nullptr);
    EXPECT_EQ(exam->timeLeft()->text(), u"Temps restant : 35:00"_s);
    EXPECT_EQ(exam->position()->text(), u"Question n° 4 sur 60"_s) << "the first question without an answer";
    const ExamSession &session = exam->session();
    QStringList after;
    for (int p = 0; p < session.count(); ++p)
        after.append(u"%1|%2|%3|%4"_s.arg(p)
                         .arg(session.question(p).statement, tickLetters(session.question(p).ticks))
                         .arg(session.question(p).flagged ? 1 : 0));
    EXPECT_EQ(after, before);
    EXPECT_EQ(tickLetters(session.question(2).ticks), u"AC"_s);
    EXPECT_EQ(session.flaggedCount(), 2);
    EXPECT_EQ(queryValue(resultsPath(), u"SELECT count(*) || '|' || count(DISTINCT uuid) FROM exams"_s), u"1|1"_s);
    EXPECT_EQ(queryValue(resultsPath(), u"SELECT count(*) FROM exam_questions"_s), u"60"_s) << "nothing duplicated";
}

TEST_F(ExamWindows, TheResultsShowTheMarkTheDomainsWeakestFirstAndTheReviewOfMistakes)
{
    fExam &exam = sit(u"Camille"_s, 60, 6);
    exam.show();
    // Right on the first three, a wrong choice on the fourth, nothing on the last two.
    for (int p = 0; p < 4; ++p) {
        exam.showPosition(p);
        QTest::keyClick(&exam, p < 3 ? Qt::Key_1 : Qt::Key_2);
    }
    dialogs.advance(7 * 60 + 5);
    dialogs.boxAnswers = {0};
    exam.askHandIn();
    fExamResult *result = desk.resultWindow();
    ASSERT_NE(result, nullptr);
    result->show();
    EXPECT_EQ(result->windowTitle(), u"Résultats de l'examen blanc"_s);
    EXPECT_EQ(result->mark()->text(), u"18 / 36 (50\u00a0%)"_s);
    EXPECT_EQ(result->verdict()->text(), u"Ajourné"_s);
    EXPECT_EQ(result->verdict()->palette().color(QPalette::Window), QColor(176, 28, 28));
    EXPECT_TRUE(
        result->details()->text().startsWith(u"Seuil de réussite : 27 / 36 – temps utilisé : 7 min 5 s sur 1 h"_s))
        << result->details()->text().toStdString();
    QAbstractItemModel *domains = result->domains()->model();
    QList<double> ratios;
    for (int r = 0; r < domains->rowCount(); ++r)
        ratios.append(domains->index(r, 4).data(DomainTableModel::RatioRole).toDouble());
    EXPECT_TRUE(std::is_sorted(ratios.begin(), ratios.end())) << "weakest first";
    EXPECT_EQ(domains->headerData(4, Qt::Horizontal).toString(), u"Réussite"_s);

    const ExamRecord sat = result->exam();
    const QString all = result->review()->toPlainText();
    result->mistakesOnly()->setChecked(true);
    const QString mistakes = result->review()->toPlainText();
    for (int p = 0; p < 6; ++p) {
        const QString statement = sat.questions.at(p).statement;
        EXPECT_TRUE(all.contains(statement)) << p;
        EXPECT_EQ(mistakes.contains(statement), p >= 3) << p;
    }
    EXPECT_TRUE(mistakes.contains(u"Réponse cochée : B"_s));
    EXPECT_TRUE(mistakes.contains(u"Aucune réponse cochée"_s));
    EXPECT_TRUE(all.contains(u"Score : 6 / 6"_s));
    EXPECT_TRUE(mistakes.contains(u"Score : 0 / 6"_s));

    // The missed questions again, untimed, and nothing else.
    result->retakeButton()->click();
    QTest::qWait(0);
    fExam *retake = desk.examWindow();
    ASSERT_NE(retake, nullptr);
    EXPECT_EQ(retake->session().count(), 3);
    EXPECT_FALSE(retake->session().exam().durationSeconds);
    EXPECT_EQ(retake->session().exam().retakeOf, sat.uuid);
    EXPECT_EQ(desk.resultWindow(), nullptr);
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(retake->session().question(p).statement, sat.questions.at(p + 3).statement);
    EXPECT_EQ(retake->session().unansweredCount(), 3);
}

TEST_F(ExamWindows, TheResultSheetIsSavedAsAPdfThroughTheSixthLayout)
{
    QFile::copy(QStringLiteral(QCM_REPORT_LAYOUTS "/Résultat examen blanc.rpt"),
        QDir(folder.path()).filePath(u"Résultat examen blanc.rpt"_s));
    fExam &exam = sit(u"Camille"_s, 60, 5);
    for (int p = 0; p < 5; ++p) {
        exam.showPosition(p);
        QTest::keyClick(&exam, Qt::Key_1);
    }
    exam.askHandIn();
    fExamResult *result = desk.resultWindow();
    ASSERT_NE(result, nullptr);
    ReportRequest seen;
    result->setReportRunner([&seen](const ReportRequest &request) {
        seen = request;
        return runReport(request);
    });
    const QString pdf = QDir(folder.path()).filePath(u"relevé"_s);
    dialogs.saveAnswers = {pdf};
    dialogs.boxAnswers = {0};
    result->pdfButton()->click();
    EXPECT_EQ(dialogs.saveRequests.last().title, u"Enregistrer le relevé en PDF"_s);
    EXPECT_TRUE(dialogs.saveRequests.last().directory.endsWith(u"Examen blanc - Camille - 06-12-2026 09h00.pdf"_s));
    EXPECT_EQ(dialogs.boxes.takeLast(),
        Box(u"Le relevé est enregistré dans le fichier :"_s + kCrLf + pdf + u".pdf"_s, 22, u"Enregistrement en PDF"_s,
            u"OK"_s));
    EXPECT_TRUE(fileBytes(pdf + u".pdf"_s).startsWith("%PDF"));
    const ReportOutcome sheet = buildReport(seen);
    ASSERT_EQ(sheet.code, ReportCode::Ok) << sheet.message.toStdString();
    const QStringList page = sheet.document->pageTexts(0);
    EXPECT_TRUE(page.contains(u"Examen blanc de Camille"_s));
    EXPECT_TRUE(page.contains(u"Reçu\u00a0: 30 / 30 (100\u00a0%) – il fallait 23"_s))
        << page.join(u" | "_s).toStdString();
    EXPECT_TRUE(page.contains(result->exam().questions.first().statement));

    // A missing layout is said, and no file is left behind.
    QFile::remove(QDir(folder.path()).filePath(u"Résultat examen blanc.rpt"_s));
    const QString other = QDir(folder.path()).filePath(u"autre.pdf"_s);
    dialogs.saveAnswers = {other};
    dialogs.boxAnswers = {0};
    result->pdfButton()->click();
    EXPECT_TRUE(dialogs.boxes.takeLast().message.startsWith(u"Le relevé n'a pas été enregistré en PDF."_s));
    EXPECT_FALSE(QFile::exists(other));
}

TEST_F(ExamWindows, AScreenReaderReadsTheTimeTheStripAndTheReview)
{
    fExam &exam = sit(u"Camille"_s, 60, 4);
    exam.show();
    QTest::keyClick(&exam, Qt::Key_1);
    exam.flag()->setChecked(true);
    EXPECT_EQ(accessibleName(exam.timeLeft()), u"Temps restant : 60:00"_s);
    EXPECT_EQ(accessibleName(exam.statement()), exam.session().question(0).statement);
    EXPECT_EQ(accessibleName(exam.tick(0)), u"Cocher la réponse A"_s);
    QAccessibleInterface *strip = QAccessible::queryAccessibleInterface(exam.strip());
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->text(QAccessible::Name), u"Questions de l'examen"_s);
    QStringList items;
    for (int i = 0; i < strip->childCount(); ++i)
        if (QAccessibleInterface *item = strip->child(i); item && item->role() == QAccessible::ListItem)
            items.append(item->text(QAccessible::Name) + u" = "_s + item->text(QAccessible::Description));
    EXPECT_EQ(items,
        (QStringList{u"Question 1 = Question 1 : répondue, à revoir"_s, u"Question 2 = Question 2 : sans réponse"_s,
            u"Question 3 = Question 3 : sans réponse"_s, u"Question 4 = Question 4 : sans réponse"_s}));

    dialogs.boxAnswers = {0};
    exam.askHandIn();
    fExamResult *result = desk.resultWindow();
    ASSERT_NE(result, nullptr);
    result->show();
    EXPECT_EQ(accessibleName(result->mark()), result->mark()->text());
    EXPECT_EQ(accessibleName(result->verdict()), u"Ajourné"_s);
    QAccessibleInterface *review = QAccessible::queryAccessibleInterface(result->review());
    ASSERT_NE(review, nullptr);
    ASSERT_NE(review->textInterface(), nullptr);
    const QString read = review->textInterface()->text(0, review->textInterface()->characterCount());
    EXPECT_TRUE(read.contains(result->exam().questions.first().statement));
    EXPECT_TRUE(read.contains(u"Réponse cochée : A"_s));
    EXPECT_TRUE(read.contains(u"Score\u00a0: 6\u00a0/\u00a06"_s));
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(result->domains());
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    EXPECT_EQ(table->tableInterface()->columnDescription(4), u"Réussite"_s);
    EXPECT_FALSE(table->tableInterface()->cellAt(0, 0)->text(QAccessible::Name).isEmpty());
}

// The practice window's button: its own letter, and the set-up box through the windows' directory.
class ExamButtonDirectory : public WindowDirectory {
public:
    void showExamSetup() override { ++opened; }
    int opened = 0;
};

TEST_F(ExamWindows, ThePracticeWindowOpensTheExamUnderALetterOfItsOwn)
{
    ExamButtonDirectory directory;
    state.setWindows(&directory);
    fQCM runner(state);
    runner.load();
    QPushButton *button = runner.cmd(11);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), u"&Examen blanc"_s);
    QStringList letters;
    for (QAbstractButton *b : runner.findChildren<QAbstractButton *>()) {
        const qsizetype amp = b->text().indexOf(u'&');
        if (amp >= 0 && b != button)
            letters.append(b->text().mid(amp + 1, 1).toLower());
    }
    EXPECT_FALSE(letters.contains(u"e"_s)) << letters.join(u',').toStdString();
    button->click();
    EXPECT_EQ(directory.opened, 1);
    state.setWindows(nullptr);
}

} // namespace
