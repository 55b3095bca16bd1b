#pragma once

#include "ResultsStore.h"

#include "mistakes/PracticeLog.h"
#include "services/DialogService.h"

#include <functional>

namespace qcm {

// The practice window's checks kept in the results file. The file is opened
// through the given function, which tells the user when it cannot be used;
// it is never made only to list the names.
class ResultsPracticeLog : public PracticeLog {
public:
    // store(true) opens the file, making it when missing; store(false) only
    // when it exists. bankPath: the bank in use, kept with each check.
    ResultsPracticeLog(
        std::function<ResultsStore *(bool create)> store, std::function<QString()> bankPath, DialogService &dialogs);

    QStringList candidates() override;
    std::optional<int> recordCheck(const QString &candidate, const Question &question, quint8 ticks) override;
    std::optional<QList<Mistake>> mistakes(const QString &candidate) override;

private:
    std::function<ResultsStore *(bool)> m_store;
    std::function<QString()> m_bankPath;
    DialogService &m_dialogs;
};

// What the ticks of a practice check would score in an exam, each question floored at 0.
int practiceScore(const Question &question, quint8 ticks);

} // namespace qcm
