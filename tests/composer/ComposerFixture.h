#pragma once

#include "composer/fCreaQCM.h"
#include "database/Sqlite.h"
#include "runner/fQCM.h"
#include "startup/AppWindows.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace qcm::test {

inline const QString kQuoted = QStringLiteral("Que signifie \"thermique\" ?");

// paragliding questions 1/1 … 1/n for the paragliding syllabus only; then
// 2/1, in three syllabuses, whose statement holds a double quote and whose
// first choice a bracket; and 2/2 for hang-gliding only.
inline BankContent composerBank(int paragliding)
{
    BankContent bank;
    bank.domains = {{QStringLiteral("1"), QStringLiteral("Météo")}, {QStringLiteral("2"), QStringLiteral("Matériel")}};
    for (int n = 1; n <= paragliding; ++n)
        bank.questions.append(makeQuestion(QStringLiteral("1"), n, QStringLiteral("Question %1").arg(n), {6, -2}));
    Question quoted = makeQuestion(QStringLiteral("2"), 1, kQuoted, {6, -2});
    quoted.lib[0] = QStringLiteral("Le vent [fort]");
    quoted.flags = {1, 1, 0, 1, 0, 0};
    Question delta = makeQuestion(QStringLiteral("2"), 2, QStringLiteral("Delta seulement"), {6, 0});
    delta.flags = {0, 0, 0, 1, 0, 0};
    bank.questions.append(quoted);
    bank.questions.append(delta);
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
        makeBank(dir, QStringLiteral("VAR-irururiza.zov"), composerBank(paragliding));
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
    }
    QString bankPath() const { return QDir(dir.path()).filePath(QStringLiteral("VAR-irururiza.zov")); }
    QString workingCopy() const { return QDir(dir.path()).filePath(QStringLiteral("qcm.mdb")); }

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
    void clickEntry(int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QListView *list = composer->lstQCM(0);
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), button, {}, list->visualRect(index).center());
    }
    void nameAndDate(const QString &name, const QString &date = QStringLiteral("06/12/2026"))
    {
        composer->txt(0)->setText(name);
        composer->txt(1)->setText(date);
    }
    std::vector<int> selected() const { return selectedRows(*composer->lstQCM(0)->selectionModel()); }
    QColor statusColour() const { return composer->lbl(0)->palette().color(QPalette::WindowText); }

    // What the file holds, read on a connection of its own: one text per row,
    // the columns joined by "|".
    QStringList rows(const QString &sql) const
    {
        SqliteDb db;
        QStringList out;
        EXPECT_TRUE(db.open(bankPath(), SqliteDb::Mode::ReadOnly));
        SqliteStatement st = db.prepare(sql);
        EXPECT_TRUE(st.isValid()) << st.error().toStdString();
        while (st.step()) {
            QStringList columns;
            for (int i = 0; i < st.columnCount(); ++i)
                columns.append(st.column(i).isNull() ? QStringLiteral("NULL") : st.column(i).toString());
            out.append(columns.join(u'|'));
        }
        return out;
    }
    // The first row of a query, "-" when there is none.
    QString first(const QString &sql) const { return rows(sql).value(0, QStringLiteral("-")); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    fQCM runner{state};
    AppWindows windows{state, runner};
    fCreaQCM *composer = nullptr;
};

} // namespace qcm::test
