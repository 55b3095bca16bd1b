#include "runner/RunnerFixture.h"

#include "exam/PracticeRecords.h"
#include "runner/MistakesPractice.h"

#include <QFile>
#include <QListView>

using namespace qcm;
using namespace qcm::test;

namespace {

// The practice window with its checks kept in a results file beside the bank.
class PracticeWindow : public RunnerTest {
protected:
    fQCM &startWithLog()
    {
        fQCM &w = start();
        w.setPracticeLog(std::make_unique<ResultsPracticeLog>(
            [this](bool create) -> ResultsStore * {
                if (!store && (create || QFile::exists(resultsPath())))
                    store = std::move(ResultsStore::open(resultsPath(), dialogs.now()).store);
                return store.get();
            },
            [this] { return state.DbPath; }, dialogs));
        return w;
    }
    QString resultsPath() const { return QDir(dir.path()).filePath(ResultsStore::fileName()); }
    void check(fQCM &w, std::initializer_list<char> keys)
    {
        for (char c : keys)
            typeKey(c);
        w.cmd(1)->click();
    }

    std::unique_ptr<ResultsStore> store;
};

TEST_F(PracticeWindow, ChecksAreRecordedOnlyForACandidateNamedInTheWindow)
{
    fQCM &w = startWithLog();
    EXPECT_TRUE(w.cmbCandidat()->currentText().isEmpty()) << "no name by default";
    check(w, {'3'});
    EXPECT_FALSE(QFile::exists(resultsPath())) << "no record, not even a file, without a name";

    w.cmbCandidat()->setEditText(u"Élodie"_s);
    w.cmd(4)->click();
    check(w, {'1'}); // 1.2: 3 points of 6
    w.cmd(4)->click();
    check(w, {'1'}); // 1.3: 6 points
    EXPECT_EQ(queryRows(resultsPath(),
                  u"SELECT c.name || '|' || p.domain_code || '.' || p.numero || '|' || p.ticks || '|' || p.score "
                  "FROM practice_checks p JOIN candidates c ON c.id = p.candidate_id ORDER BY p.id"_s),
        (QStringList{u"Élodie|1.2|A|3"_s, u"Élodie|1.3|A|6"_s}));

    auto *names = static_cast<CandidateBox *>(w.cmbCandidat());
    names->refill();
    EXPECT_EQ(names->findText(u"Élodie"_s), 1) << "offered next time, after the empty entry";
    EXPECT_EQ(names->currentText(), u"Élodie"_s);
}

TEST_F(PracticeWindow, MistakesArePractisedInAListOfTheirOwnAndLeavingReturnsToTheDomains)
{
    fQCM &w = startWithLog();
    w.cmbCandidat()->setEditText(u"Élodie"_s);
    check(w, {'1'}); // 1.1: -2 → missed
    w.cmd(4)->click();
    check(w, {'1'}); // 1.2 missed
    w.cmd(4)->click();
    check(w, {'1'}); // 1.3 right
    w.cmbCandidat()->setEditText(QString());

    w.practiseMistakes(u"Élodie"_s);
    MistakesPractice &m = *w.mistakesPractice();
    ASSERT_TRUE(m.active());
    EXPECT_EQ(m.list()->model()->rowCount(), 2);
    EXPECT_EQ(w.cmbCandidat()->currentText(), u"Élodie"_s) << "the practice counts for the candidate";
    EXPECT_FALSE(w.lstDomaine()->isEnabled());
    EXPECT_EQ(w.lbl(2)->text(), u"1.1"_s);
    EXPECT_EQ(w.lbl(1)->text(), u"Erreur n° 1 sur 2"_s);
    EXPECT_GE(m.pane()->x(), 0);
    EXPECT_LE(m.pane()->geometry().right(), w.fra()->x());

    check(w, {'3'}); // 1.1 right: once
    EXPECT_TRUE(m.list()->model()->index(0, 0).data().toString().contains(u"réussie 1 fois de suite sur 3"_s));
    w.cmd(4)->click();
    EXPECT_EQ(w.lbl(2)->text(), u"1.2"_s);
    // Back from another window of the program: the mistake stays on view.
    {
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    }
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_TRUE(m.active());
    EXPECT_EQ(w.lbl(2)->text(), u"1.2"_s);
    w.chkApprendre()->click();
    EXPECT_EQ(slotStates(), u"#p #p #p -. -. -."_s) << "learn mode as on any question";
    w.chkApprendre()->click();
    dialogs.boxAnswers = {0};
    w.cmd(4)->click();
    EXPECT_EQ(dialogs.boxes.value(0).message, u"C'est la dernière erreur de la liste."_s);

    m.backButton()->click();
    EXPECT_FALSE(m.active());
    EXPECT_TRUE(w.lstDomaine()->isEnabled());
    EXPECT_EQ(w.lbl(2)->text(), u"1.3"_s) << "back on the domain's question left";
    EXPECT_EQ(w.lbl(1)->text(), u"Question n° 3 sur 3"_s);

    // Two more right answers and 1.1 leaves the list; 1.2 stays.
    for (int i = 0; i < 2; ++i) {
        dialogs.advance(60);
        const Question q = *state.bank().question(u"1"_s, 1);
        ASSERT_FALSE(store->recordCheck({u"Élodie"_s, {}, q.code, q.numero, 0b100, 6}, dialogs.now()));
    }
    w.practiseMistakes(u"Élodie"_s);
    EXPECT_EQ(m.list()->model()->rowCount(), 1);
    EXPECT_EQ(w.lbl(2)->text(), u"1.2"_s);

    // Whoever has nothing to revisit is told so, the domains kept.
    m.leave();
    dialogs.boxAnswers = {0};
    w.practiseMistakes(u"Paul"_s);
    EXPECT_FALSE(m.active());
    EXPECT_EQ(dialogs.boxes.last().message,
        u"Paul n'a aucune erreur à revoir : chaque question manquée a été réussie 3 fois de suite depuis."_s);
}

} // namespace
