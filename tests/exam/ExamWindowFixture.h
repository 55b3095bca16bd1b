#pragma once

#include "ExamFixture.h"

#include "exam/ExamDesk.h"
#include "exam/fExam.h"
#include "exam/fExamResult.h"
#include "exam/fExamSetup.h"
#include "state/QCMBas.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace qcm::test {

using Box = ScriptedDialogs::Box;
inline const QString kCrLf = u"\r\n"_s;

// The exam windows over a program folder holding the exam bank, opened as
// the practice window's button opens them.
class ExamWindows : public ExamFiles {
protected:
    void SetUp() override
    {
        ExamFiles::SetUp();
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
    }

    // The set-up box filled in and accepted; the exam window on screen.
    fExam &sit(const QString &name = u"Camille"_s, int minutes = 60, int questions = 60)
    {
        desk.openSetup();
        fExamSetup *box = desk.setupBox();
        EXPECT_NE(box, nullptr);
        box->candidate()->setEditText(name);
        box->questionCount()->setValue(questions);
        box->duration()->setValue(minutes);
        box->startButton()->click();
        fExam *exam = desk.examWindow();
        EXPECT_NE(exam, nullptr);
        exam->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(exam));
        return *exam;
    }

    void press(QWidget *window, Qt::Key key)
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, key);
    }

    QCMBas state{dialogs, folder.path()};
    QWidget owner;
    ExamDesk desk{state, &owner};
};

} // namespace qcm::test
