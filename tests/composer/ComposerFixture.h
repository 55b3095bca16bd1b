#pragma once

#include "app/AppWindows.h"
#include "composer/fCreaQCM.h"
#include "runner/fQCM.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace qcm::test {

inline const QString kQuoted = u"Que signifie \"thermique\" ?"_s;

// paragliding questions 1/1 … 1/n for the paragliding syllabus only; then
// 2/1, in three syllabuses, whose statement holds a double quote and whose
// first choice a bracket; and 2/2 for hang-gliding only.
inline BankContent composerBank(int paragliding)
{
    BankContent bank;
    bank.domains = {{u"1"_s, u"Météo"_s}, {u"2"_s, u"Matériel"_s}};
    for (int n = 1; n <= paragliding; ++n)
        bank.questions.append(makeQuestion(u"1"_s, n, u"Question %1"_s.arg(n), {6, -2}));
    Question quoted = makeQuestion(u"2"_s, 1, kQuoted, {6, -2});
    quoted.lib[0] = u"Le vent [fort]"_s;
    quoted.flags = {1, 1, 0, 1, 0, 0};
    Question delta = makeQuestion(u"2"_s, 2, u"Delta seulement"_s, {6, 0});
    delta.flags = {0, 0, 0, 1, 0, 0};
    bank.questions << quoted << delta;
    return bank;
}

// The composer as the program opens it, over the practice window, on a bank
// of 70 paragliding questions unless the test asks for another.
class ComposerTest : public ::testing::Test {
protected:
    void SetUp() override { useBank(70); }

    void useBank(int paragliding)
    {
        state.CloseDatabases();
        QFile::remove(bankPath());
        makeBank(dir, u"VAR-irururiza.zov"_s, composerBank(paragliding));
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
    }
    QString bankPath() const { return QDir(dir.path()).filePath(u"VAR-irururiza.zov"_s); }
    QString workingCopy() const { return QDir(dir.path()).filePath(u"qcm.mdb"_s); }

    fCreaQCM &open()
    {
        state.OpenComposer();
        composer = runner.findChild<fCreaQCM *>();
        EXPECT_TRUE(composer && composer->isVisible());
        composer->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(composer));
        return *composer;
    }

    // On the box itself: the row may be wider than what a click ticks.
    void tick(int box)
    {
        QTest::mouseClick(composer->chkOpt(box), Qt::LeftButton, {}, QPoint(8, composer->chkOpt(box)->height() / 2));
    }
    void clickEntry(int row, Qt::MouseButton button = Qt::LeftButton, int listIndex = 0)
    {
        QListView *list = composer->lstQCM(listIndex);
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), button, {}, list->visualRect(index).center());
    }
    void nameAndDate(const QString &name, const QString &date = u"06/12/2026"_s)
    {
        composer->txt(0)->setText(name);
        composer->txt(1)->setText(date);
    }
    std::vector<int> selected() const { return selectedRows(*composer->lstQCM(0)->selectionModel()); }
    QColor statusColour() const { return composer->lbl(0)->palette().color(QPalette::WindowText); }

    QStringList rows(const QString &sql) const { return queryRows(bankPath(), sql); }
    QString first(const QString &sql) const { return queryValue(bankPath(), sql); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    fQCM runner{state};
    AppWindows windows{state, runner};
    fCreaQCM *composer = nullptr;
};

} // namespace qcm::test
