#include "ResultsFiller.h"

#include "app/AppWindows.h"
#include "results/fResultats.h"
#include "runner/MistakesPractice.h"
#include "runner/RunnerFixture.h"

#include <QPushButton>

using namespace qcm;
using namespace qcm::test;

namespace {

// The results window opened from the practice window, as the program wires them.
class ResultsWiring : public RunnerTest { };

TEST_F(ResultsWiring, PractisingMistakesFromTheRecordClosesItAndShowsThemInThePracticeWindow)
{
    {
        auto opened = ResultsStore::open(QDir(dir.path()).filePath(ResultsStore::fileName()), dialogs.now());
        ASSERT_TRUE(opened.store);
        ASSERT_NE(fillExam(*opened.store,
                      {u"Élodie"_s, dialogs.now().addDays(-1), {{u"1"_s, 1, 0}, {u"1"_s, 2, 6}, {u"1"_s, 3, 2}}}),
            0);
    }
    fQCM &w = start();
    AppWindows windows{state, w};
    windows.showResults();
    auto *results = w.findChild<fResultats *>();
    ASSERT_TRUE(results);
    ASSERT_TRUE(results->isVisible());
    results->showCandidate(u"Élodie"_s);
    results->mistakesButton()->click();

    EXPECT_FALSE(results->isVisible()) << "the practice window is not left covered";
    ASSERT_TRUE(w.mistakesPractice() && w.mistakesPractice()->active());
    EXPECT_EQ(w.mistakesPractice()->list()->model()->rowCount(), 2) << "1.1 and 1.3, not 1.2";
}

} // namespace
