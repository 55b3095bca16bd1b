#pragma once

#include "runner/fQCM.h"
#include "startup/IniFile.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace qcm::test {

inline const QString kTricky = QStringLiteral("Que signifie \"thermique\" dans l'aérologie ?");

// A runner on a small bank: domain 1 of three questions, an empty domain 2,
// and domain 3 whose questions were stored out of order.
class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BankContent bank;
        bank.domains = {{QStringLiteral("1"), QStringLiteral("Météo")}, {QStringLiteral("2"), QStringLiteral("Vide")},
            {QStringLiteral("3"), QStringLiteral("Matériel")}};
        Question first = makeQuestion(QStringLiteral("1"), 1, kTricky, {-2, 0, 6});
        Question second = makeQuestion(QStringLiteral("1"), 2, QStringLiteral("Deuxième"), {3, 3, 0, -1});
        second.val[2].reset(); // a text without points
        second.lib[3].clear(); // points without a text
        Question third = makeQuestion(QStringLiteral("1"), 3, QStringLiteral("Troisième"), {6, -6});
        bank.questions = {first, second, third, makeQuestion(QStringLiteral("3"), 10, QStringLiteral("Dix"), {6, 0}),
            makeQuestion(QStringLiteral("3"), 2, QStringLiteral("Deux"), {6, 0}),
            makeQuestion(QStringLiteral("3"), 1, QStringLiteral("Un"), {6, 0})};
        makeBank(dir, QStringLiteral("VAR-irururiza.zov"), bank);
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

    // The bank the next start opens.
    void remember(const QString &bank)
    {
        IniFile::writeString(QDir(dir.path()).filePath(QStringLiteral("QCM.ini")), QStringLiteral("Dernière base"),
            QStringLiteral("Base"), bank);
    }

    // Slot by slot, "<box><points>": the box '-' hidden, 'o' open to a tick,
    // '#' locked; its points 'p' shown, '.' hidden. Ticks are asserted apart.
    QString slotStates() const
    {
        QStringList all;
        for (int i = 0; i < 6; ++i) {
            const QCheckBox *box = window->chkVal(i);
            all << QString(box->isHidden()    ? u'-'
                           : box->isEnabled() ? u'o'
                                              : u'#')
                    + (window->lblVal(i)->isHidden() ? u'.' : u'p');
        }
        return all.join(u' ');
    }

    QStringList shownTexts() const
    {
        QStringList texts;
        for (int i = 0; i < 6; ++i)
            texts.append(window->lblLib(i)->text());
        return texts;
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    std::unique_ptr<fQCM> window;
};

} // namespace qcm::test
