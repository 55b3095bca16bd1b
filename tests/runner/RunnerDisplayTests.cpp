#include "RunnerFixture.h"
#include "state/IniFile.h"

#include <QFile>
#include <QScrollArea>
#include <QScrollBar>

#include <functional>

using namespace qcm;
using namespace qcm::test;

namespace {

QColor background(QLabel *label)
{
    return label->palette().color(QPalette::Window);
}

TEST_F(RunnerTest, StartsOnTheFirstQuestionOfTheFirstDomainAndShowsOnlyWhatExists)
{
    fQCM &w = start();
    ASSERT_EQ(w.lstDomaine()->count(), 3);
    EXPECT_EQ(w.lstDomaine()->itemText(0), u"1  Météo"_s);
    EXPECT_EQ(w.lbl(1)->text(), u"Question n° 1 sur 3"_s);
    EXPECT_EQ(w.lbl(2)->text(), u"1.1"_s);
    EXPECT_EQ(w.lbl(3)->text(), kTricky) << "quotes and apostrophes are shown as typed";

    // Points by sign; hidden until revealed.
    EXPECT_EQ(w.lblVal(0)->text(), u"-2"_s);
    EXPECT_EQ(background(w.lblVal(0)), QColor(255, 0, 0));
    EXPECT_EQ(background(w.lblVal(1)), QColor(255, 255, 255));
    EXPECT_EQ(background(w.lblVal(2)), QColor(0, 255, 0));
    EXPECT_EQ(slotStates(), u"o. o. o. -. -. -."_s);

    w.ShowNextQuestion();
    EXPECT_EQ(w.lbl(2)->text(), u"1.2"_s);
    EXPECT_TRUE(w.lblVal(2)->text().isEmpty()) << "a text without points";
    EXPECT_EQ(slotStates(), u"o. o. o. -. -. -."_s) << "points without a text make no choice";
    EXPECT_TRUE(w.lblLib(3)->text().isEmpty());
    EXPECT_EQ(w.lblVal(3)->text(), u"-1"_s);
}

TEST_F(RunnerTest, MovesKeepToTheDomainInNumberOrderAndBothEndsSaySo)
{
    fQCM &w = start();
    dialogs.boxAnswers = {0, 0, 0};
    w.ShowPreviousQuestion();
    EXPECT_EQ(dialogs.boxes.value(0), ScriptedDialogs::Box("On est à la première question... !", 0, "Avis"));
    EXPECT_EQ(w.lbl(2)->text(), u"1.1"_s);
    w.cmd(4)->click();
    w.cmd(4)->click();
    EXPECT_EQ(w.lbl(2)->text(), u"1.3"_s);
    w.cmd(4)->click();
    EXPECT_EQ(dialogs.boxes.value(1), ScriptedDialogs::Box("Terminé !", 0, "Cà y est !"));
    EXPECT_EQ(w.lbl(2)->text(), u"1.3"_s);
    w.cmd(3)->click();
    EXPECT_EQ(w.lbl(2)->text(), u"1.2"_s);

    selectDomain(2);
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        seen.append(w.lbl(2)->text());
        w.ShowNextQuestion();
    }
    EXPECT_EQ(seen, (QStringList{"3.1", "3.2", "3.10"}));
    EXPECT_EQ(w.lbl(1)->text(), u"Question n° 3 sur 3"_s);
}

TEST_F(RunnerTest, AnEmptyDomainSaysSoAndKeepsThePreviousCount)
{
    fQCM &w = start();
    w.chkVal(0)->setChecked(true);
    selectDomain(1);
    EXPECT_FALSE(w.cmd(1)->isEnabled()) << "no hidden tick is left to check";
    EXPECT_EQ(w.lbl(3)->text(), u"                                  Ce domaine n'est pas encore entré dans le QCM."_s);
    EXPECT_TRUE(w.lbl(1)->text().isEmpty());
    EXPECT_EQ(slotStates(), u"-. -. -. -. -. -."_s);
    EXPECT_EQ(state.QuestionCount, 3);
    w.ShowNextQuestion(); // and says nothing: no box is scripted
}

TEST_F(RunnerTest, WithoutADatabaseTheWindowInvitesToChooseOne)
{
    rememberBank(dir.path(), dir.filePath(u"absente.mdb"_s));
    dialogs.openAnswers = {QString()};
    dialogs.boxAnswers = {0};
    fQCM &w = start();
    EXPECT_EQ(w.lstDomaine()->count(), 0);
    EXPECT_TRUE(w.lbl(3)->text().startsWith(u"Aucune base de données n'est ouverte."_s));
    w.ShowNextQuestion();
    w.ShowPreviousQuestion();
    EXPECT_EQ(dialogs.messages(), QStringList{u"Aucune modification"_s}) << "moves do nothing";

    // Choosing the bank from the window puts the first question on view.
    dialogs.openAnswers = {dir.filePath(u"VAR-irururiza.zov"_s)};
    w.cmd(10)->click();
    EXPECT_EQ(w.lstDomaine()->count(), 3);
    EXPECT_EQ(w.lbl(2)->text(), u"1.1"_s);
}

TEST_F(RunnerTest, SwitchingToABankWithoutDomainsLeavesNothingOfThePreviousQuestion)
{
    fQCM &w = start();
    w.cmd(4)->click();
    typeKey('1');
    w.cmd(1)->click();
    dialogs.openAnswers = {makeBank(dir, u"sans-domaine.mdb"_s, {{}, {makeQuestion(u"1"_s, 1, u"Orpheline"_s, {6})}})};
    w.cmd(10)->click();
    auto expectDesign = [&] {
        EXPECT_EQ(w.lstDomaine()->count(), 0);
        EXPECT_EQ(w.lbl(3)->text(), u"Choisissez un domaine"_s);
        EXPECT_TRUE(w.lbl(1)->text().isEmpty());
        EXPECT_TRUE(w.lbl(2)->text().isEmpty());
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(w.lblLib(i)->text(), QString()) << i;
        EXPECT_EQ(slotStates(), u"-. -. -. -. -. -."_s);
    };
    expectDesign();
    // The window's turn after a box of the program shows no row of the whole bank.
    w.ShowQuestion(state.CurrentIndex);
    w.ApplyLearnMode();
    expectDesign();
}

TEST_F(RunnerTest, ALongStatementIsReadWholeAndLeavesItsChoicesInReach)
{
    QString regulation;
    while (regulation.size() < 3000)
        regulation += u"Le pilote respecte les hauteurs minimales de survol et les espaces aériens. "_s;
    rememberBank(dir.path(),
        makeBank(dir, u"longue.mdb"_s,
            {{{u"1"_s, u"Réglementation"_s}},
                {makeQuestion(u"1"_s, 1, regulation, {6, 0, -1, -2}),
                    makeQuestion(u"1"_s, 2, u"Courte ?"_s, {6, 0})}}));
    fQCM &w = start();
    const QSize panel = w.fra()->size();
    auto settle = [] { QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest); };
    auto top = [&](QWidget *widget) { return widget->mapTo(w.fra(), QPoint(0, 0)).y(); };
    QScrollArea *area = nullptr;
    for (QWidget *p = w.lbl(3)->parentWidget(); p && !area; p = p->parentWidget())
        area = qobject_cast<QScrollArea *>(p);
    ASSERT_NE(area, nullptr) << "the statement scrolls when it does not fit";
    settle();

    QLabel *statement = w.lbl(3);
    EXPECT_EQ(statement->text(), regulation);
    EXPECT_GE(statement->height(), statement->heightForWidth(statement->width())) << "no line is clipped";
    EXPECT_LE(top(statement) + statement->height(), top(w.lblLib(0))) << "nothing drawn over choice A";
    area->ensureWidgetVisible(w.lblLib(3));
    EXPECT_FALSE(w.lblLib(3)->visibleRegion().isEmpty()) << "the last choice can be scrolled to";
    EXPECT_EQ(w.fra()->size(), panel);

    w.cmd(4)->click();
    settle();
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 0) << "a usual question needs no scrolling";
    EXPECT_FALSE(w.lblLib(1)->visibleRegion().isEmpty());
}

TEST_F(RunnerTest, AFailedWorkingCopyRefreshKeepsTheListAndTheQuestionsTogether)
{
    fQCM &w = start();
    selectDomain(2);
    ASSERT_EQ(w.lbl(2)->text(), u"3.1"_s);
    ASSERT_TRUE(QDir().mkpath(state.workingCopyPath())) << "a folder in the way of the copy";
    dialogs.openAnswers
        = {makeBank(dir, u"autre.mdb"_s, {{{u"1"_s, u"Autre"_s}}, {makeQuestion(u"1"_s, 1, u"Autre"_s, {6})}})};
    dialogs.boxAnswers = {0};
    w.cmd(10)->click();
    EXPECT_EQ(dialogs.boxes.value(0).title, u"Copie impossible"_s);
    // The entry on the list is the domain walked through.
    for (int step = 0; step < 2; ++step) {
        EXPECT_EQ(w.lstDomaine()->currentText().left(1), w.lbl(2)->text().left(1)) << step;
        w.ShowNextQuestion();
    }
    EXPECT_EQ(w.lbl(2)->text(), u"1.3"_s);
}

TEST_F(RunnerTest, StoredPointsAreShownAsTheyAreNeverWrapped)
{
    Question q = makeQuestion(u"1"_s, 1, u"Points hors limites"_s, {6, 0, 0, 0});
    q.val[0] = 1000000000000;
    q.val[1] = 2147483648;
    q.val[2] = -7;
    const QString path = makeBank(dir, u"abimee.mdb"_s, {{{u"1"_s, u"Abîmé"_s}}, {q}});
    rememberBank(dir.path(), execOn(path, u"UPDATE Questions SET Val3 = 'trois'"_s));
    fQCM &w = start();
    w.chkApprendre()->click();
    EXPECT_EQ(w.lblVal(0)->text(), u"1000000000000"_s);
    EXPECT_EQ(background(w.lblVal(0)), QColor(0, 255, 0));
    EXPECT_EQ(w.lblVal(1)->text(), u"2147483648"_s);
    EXPECT_EQ(w.lblVal(2)->text(), u"-7"_s);
    EXPECT_EQ(background(w.lblVal(2)), QColor(255, 0, 0));
    EXPECT_EQ(w.lblVal(3)->text(), u"trois"_s) << "not a number: shown as it is, not as 0";
    EXPECT_NE(background(w.lblVal(3)), QColor(255, 255, 255));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_GE(w.lblVal(0)->contentsRect().width(), w.lblVal(0)->fontMetrics().horizontalAdvance(w.lblVal(0)->text()))
        << "the whole number fits in its label";
}

struct CountingTarget : PaintTarget {
    int bands = 0, stars = 0;
    int widthTwips() const override { return 18000; }
    int heightTwips() const override { return 12000; }
    void fillRect(int, int, int, int, const QColor &) override { ++bands; }
    void drawLine(int, int, int, int, const QColor &) override { ++stars; }
};

TEST_F(RunnerTest, TheStarrySkyFollowsTheSetting)
{
    fQCM &w = start();
    for (int option : {-1, 0, 7}) {
        state.RepaintOption = option;
        CountingTarget target;
        w.paintBackground(target, [] { return 0.5; });
        EXPECT_EQ(target.bands, 256);
        EXPECT_EQ(target.stars, option == 0 ? 0 : 552) << option;
    }
}

} // namespace

// A start on a large bank takes its first domain's count from the settings
// rather than counting it, but only while the file is exactly as it was when
// the count was kept; whatever changed it since, the domain is counted.
TEST(CountsKeptBetweenRuns, AKeptCountStandsOnlyWhileTheBankIsAsItWas)
{
    QTemporaryDir dir;
    BankContent content{{{u"1"_s, u"Météo"_s}, {u"2"_s, u"Matériel"_s}}, {}};
    // More than the recordset reads at once, so that the count is not read with the first rows.
    for (int n = 1; n <= 70; ++n)
        content.questions.append(makeQuestion(u"1"_s, n, u"Question %1"_s.arg(n), {6, 0}));
    content.questions.append(makeQuestion(u"2"_s, 1, u"Seule"_s, {6, 0}));
    const QString bank = makeBank(dir, u"VAR-irururiza.zov"_s, content);
    const QString ini = dir.filePath(u"QCM.ini"_s);

    // One run of the program: what it shows first, then its end.
    auto run = [&dir](const std::function<void(QCMBas &, fQCM &)> &during = {}) {
        ScriptedDialogs dialogs;
        QCMBas state(dialogs, dir.path());
        state.readSettings();
        fQCM window(state);
        window.load();
        QString shown = window.lbl(1)->text();
        if (during) {
            during(state, window);
            shown = window.lbl(1)->text();
        }
        state.keepCounts();
        return shown;
    };
    auto keptCount = [&ini] {
        const QString kept = IniFile::readString(ini, u"Comptes"_s, u"Domaines"_s, {});
        return kept.mid(kept.indexOf(u';') + 1);
    };
    // A count kept that no count of the file could give: seen, it was taken without counting.
    auto forge = [&ini](const QString &counts) {
        const QString kept = IniFile::readString(ini, u"Comptes"_s, u"Domaines"_s, {});
        IniFile::writeString(ini, u"Comptes"_s, u"Domaines"_s, kept.left(kept.indexOf(u';') + 1) + counts);
    };

    EXPECT_EQ(run(), u"Question n° 1 sur 70"_s);
    EXPECT_EQ(keptCount(), u"1=70"_s);
    forge(u"1=99"_s);
    EXPECT_EQ(run(), u"Question n° 1 sur 99"_s);

    // Another program added a question since: counted again, and that count kept.
    execOn(bank, u"INSERT INTO Questions (Code, Numero, \"Libellé\") VALUES ('1', 71, 'Ajoutée')"_s);
    EXPECT_EQ(run(), u"Question n° 1 sur 71"_s);
    EXPECT_EQ(keptCount(), u"1=71"_s);

    // A change during the run, here by another program: back on the domain, it is counted.
    forge(u"1=99"_s);
    EXPECT_EQ(run([&bank](QCMBas &, fQCM &window) {
        execOn(bank, u"DELETE FROM Questions WHERE Code = '1' AND Numero = 71"_s);
        window.domainClicked();
    }),
        u"Question n° 1 sur 70"_s);
    EXPECT_EQ(keptCount(), u"1=70"_s);

    // A journal beside the file may stand for a commit under way: nothing kept is trusted.
    forge(u"1=99"_s);
    writeFile(bank + u"-journal"_s, {});
    EXPECT_EQ(run(), u"Question n° 1 sur 70"_s);
    QFile::remove(bank + u"-journal"_s);

    // Kept for another bank, or garbled: counted.
    forge(u"1=99"_s);
    IniFile::writeString(ini, u"Comptes"_s, u"Base"_s, dir.filePath(u"autre.zov"_s));
    EXPECT_EQ(run(), u"Question n° 1 sur 70"_s);
    IniFile::writeString(ini, u"Comptes"_s, u"Domaines"_s, u"n'importe quoi;1=99"_s);
    EXPECT_EQ(run(), u"Question n° 1 sur 70"_s);
}
