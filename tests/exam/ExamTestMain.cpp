// The main of the exam tests: the usual one, or, with "--enfant-examen
// FOLDER", the child that the resume test kills in the middle of an exam.
#include "ExamWindowFixture.h"

#include <QThread>

#include <gtest/gtest.h>

#include <iostream>

using namespace qcm;
using namespace qcm::test;

namespace {

// Sits an exam of 60 questions: ticks four of them and flags one over 25
// minutes, says so, then waits to be killed.
[[noreturn]] void sitUntilKilled(const QString &folder)
{
    ScriptedDialogs dialogs;
    QCMBas state(dialogs, folder);
    state.readSettings();
    state.BindDatabase();
    QWidget owner;
    ExamDesk desk(state, &owner);
    desk.openSetup();
    fExamSetup *box = desk.setupBox();
    box->candidate()->setEditText(u"Dominique"_s);
    box->questionCount()->setValue(60);
    box->duration()->setValue(60);
    box->startButton()->click();
    fExam *exam = desk.examWindow();
    exam->activateWindow();
    if (!QTest::qWaitForWindowActive(exam))
        std::cerr << "la fenêtre d'examen n'est pas devenue active" << std::endl;
    for (int p : {0, 1, 2, 7}) {
        dialogs.advance(5 * 60);
        exam->showPosition(p);
        QTest::keyClick(exam, Qt::Key_1);
    }
    exam->showPosition(2);
    QTest::keyClick(exam, Qt::Key_3);
    exam->flag()->setChecked(true);
    dialogs.advance(5 * 60);
    exam->showPosition(9);
    exam->flag()->setChecked(true);
    std::cout << "PRET" << std::endl;
    for (;;)
        QThread::sleep(1);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"qcm-tests"_s);
    if (argc == 3 && QByteArray(argv[1]) == "--enfant-examen")
        sitUntilKilled(QString::fromLocal8Bit(argv[2]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
