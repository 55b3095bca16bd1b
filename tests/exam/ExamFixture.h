#pragma once

#include "exam/ExamPaper.h"
#include "exam/ExamSession.h"
#include "exam/ResultsStore.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qcm::test {

// Three domains of uneven size, every question of the first speciality and
// worth 6 on its first choice; question 2.1 also carries a -6 choice.
inline BankContent examBank()
{
    BankContent bank;
    bank.domains = {{u"1"_s, u"Météorologie"_s}, {u"2"_s, u"Mécanique du vol"_s}, {u"3"_s, u"Réglementation"_s}};
    const int sizes[] = {40, 25, 15};
    for (int d = 0; d < 3; ++d)
        for (int n = 1; n <= sizes[d]; ++n)
            bank.questions.append(makeQuestion(QString::number(d + 1), n, u"Question %1.%2 ?"_s.arg(d + 1).arg(n),
                d == 1 && n == 1 ? std::initializer_list<int>{6, -6, 0} : std::initializer_list<int>{6, -2, 0, -1}));
    return bank;
}

// A program folder holding the bank; the results file beside it.
class ExamFiles : public ::testing::Test {
protected:
    void SetUp() override { bankPath = makeBank(folder, u"VAR-irururiza.zov"_s, examBank()); }

    QString resultsPath() const { return QDir(folder.path()).filePath(ResultsStore::fileName()); }
    std::shared_ptr<Connection> bankConnection()
    {
        StoreError e;
        auto c = Connection::open(bankPath, &e);
        EXPECT_TRUE(c) << e.description.toStdString();
        return c;
    }
    std::unique_ptr<ResultsStore> openResults()
    {
        ResultsOpening opening = ResultsStore::open(resultsPath(), dialogs.now());
        EXPECT_TRUE(opening.store) << opening.error.description.toStdString();
        return std::move(opening.store);
    }
    ExamStart drawStart(const BankModel &bank, int n = 60, int minutes = 60)
    {
        ExamStart start;
        start.candidate = u"Camille"_s;
        start.specialities = {1, 0, 0, 0, 0, 0};
        start.durationMinutes = minutes;
        start.bankPath = bankPath;
        const Paper paper
            = drawPaper(bank, *bank.questionFlags(), start.specialities, n, [this] { return dialogs.rnd(); });
        EXPECT_TRUE(paper.refusal.isEmpty()) << paper.refusal.toStdString();
        start.questions = paper.questions;
        start.paperName = drawName(n, start.specialities);
        return start;
    }
    ExamSession::Clock clock()
    {
        return [this] { return dialogs.now(); };
    }

    QTemporaryDir folder;
    QString bankPath;
    ScriptedDialogs dialogs;
};

} // namespace qcm::test
