#pragma once

#include "runner/fQCM.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace qcm::test {

inline const QString kTricky = u"Que signifie \"thermique\" dans l'aérologie ?"_s;

// A runner on a small bank: domain 1 of three questions, an empty domain 2,
// and domain 3 whose questions were stored out of order.
class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Question second = makeQuestion(u"1"_s, 2, u"Deuxième"_s, {3, 3, 0, -1});
        second.val[2].reset(); // a text without points
        second.lib[3].clear(); // points without a text
        makeBank(dir, u"VAR-irururiza.zov"_s,
            {{{u"1"_s, u"Météo"_s}, {u"2"_s, u"Vide"_s}, {u"3"_s, u"Matériel"_s}},
                {makeQuestion(u"1"_s, 1, kTricky, {-2, 0, 6}), second, makeQuestion(u"1"_s, 3, u"Troisième"_s, {6, -6}),
                    makeQuestion(u"3"_s, 10, u"Dix"_s, {6, 0}), makeQuestion(u"3"_s, 2, u"Deux"_s, {6, 0}),
                    makeQuestion(u"3"_s, 1, u"Un"_s, {6, 0})}});
    }

    fQCM &start()
    {
        state.readSettings();
        window = std::make_unique<fQCM>(state);
        window->load();
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }

    void selectDomain(int entry)
    {
        window->lstDomaine()->setCurrentIndex(entry);
        window->domainClicked();
    }

    void typeKey(char c)
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), c);
    }

    // Slot by slot, "<box><points>": the box '-' hidden, 'o' open to a tick,
    // '#' locked; its points 'p' shown, '.' hidden. Ticks are asserted apart.
    QString slotStates() const
    {
        QStringList all;
        for (int i = 0; i < 6; ++i) {
            const QCheckBox *box = window->chkVal(i);
            const QChar shown = box->isHidden() ? u'-' : box->isEnabled() ? u'o' : u'#';
            all << QString(shown) + (window->lblVal(i)->isHidden() ? u'.' : u'p');
        }
        return all.join(u' ');
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    std::unique_ptr<fQCM> window;
};

} // namespace qcm::test
