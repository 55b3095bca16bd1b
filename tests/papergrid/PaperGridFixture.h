#pragma once

#include "exam/ExamFixture.h"

#include "bank/BankModel.h"

namespace qcm::test {

// The exam bank with a stored questionnaire of its first five questions
// (each worth 6 on A; 1.1 to 1.5 have four choices).
class PaperGridFiles : public ExamFiles {
protected:
    void SetUp() override
    {
        ExamFiles::SetUp();
        BankModel bank(bankConnection());
        StoredQuestionnaire q{
            u"Brevet d'avril"_s, u"01/04/2026"_s, u"Brevet de pilote"_s, true, {1, 0, 0, 0, 0, 0}, {}};
        for (const Question &b : bank.domainQuestions(u"1"_s)->mid(0, 5)) {
            QcmRow row{q.name, q.date, b.code, b.numero, b.libelle, b.lib, b.val, q.speciality, q.boxes};
            q.rows.append(row);
        }
        ASSERT_FALSE(bank.saveQuestionnaire(q));
    }
    static inline const QString kPaper = u"Brevet d'avril"_s;
};

} // namespace qcm::test
