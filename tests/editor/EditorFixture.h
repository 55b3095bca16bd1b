#pragma once

#include "editor/QuestionEditor.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qcm::test {

using Box = ScriptedDialogs::Box;

// The editor's fields and boxes without a window.
class FakeView : public EditorView {
public:
    QString text(int i) const override { return fields[size_t(i)]; }
    void setText(int i, const QString &t) override { fields[size_t(i)] = t; }
    void setFocusTo(int i) override { focus = i; }
    bool isChecked(int i) const override { return boxes[size_t(i)]; }
    void setChecked(int i, bool c) override { boxes[size_t(i)] = c; }
    void showDomains(const QList<Domain> &d) override
    {
        list = d;
        selected = -1;
    }
    int selectedDomain() const override { return selected; }
    void selectDomain(int p) override { selected = p; }

    std::array<QString, 16> fields;
    std::array<bool, 7> boxes{};
    QList<Domain> list;
    int selected = -1;
    int focus = -1;
};

// Domains 1, 2, 3 and 5 (none numbered 4); 2 has a gap at 3 and 4, 5 has no question.
inline BankContent standardBank()
{
    return {{{"1", "Météo"}, {"2", "Pilotage"}, {"3", "Matériel"}, {"5", "Réglementation"}},
        {makeQuestion("1", 1, "Un", {6, 0, -2}), makeQuestion("1", 2, "Deux", {3, 3}),
            makeQuestion("2", 1, "Décollage", {6, 0}), makeQuestion("2", 2, "Virage", {6, -1}),
            makeQuestion("2", 5, "Atterrissage", {3, 3, 0}), makeQuestion("3", 1, "Sellette", {6, 0}),
            makeQuestion("3", 2, "Secours", {2, 4})}};
}

class EditorTest : public ::testing::Test {
protected:
    void open(const BankContent &bank = standardBank())
    {
        path = makeBank(dir, u"VAR-irururiza.zov"_s, bank);
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
        editor.FillEditorDomainList();
    }
    // The user picks an entry of the domain list.
    void pick(int position)
    {
        view.selectDomain(position);
        editor.domainSelected();
    }
    // Types a question of choices with the given points ("" for none), first speciality ticked.
    void typeQuestion(const QString &number, const QStringList &points)
    {
        view.fields[2] = number;
        view.fields[3] = u"Énoncé "_s + number;
        for (int k = 0; k < 6; ++k) {
            const bool has = k < points.size();
            view.fields[size_t(4 + 2 * k)] = has ? u"Choix %1"_s.arg(QChar(u'A' + k)) : QString();
            view.fields[size_t(5 + 2 * k)] = has ? points[k] : QString();
        }
        view.boxes[0] = true;
    }
    QString value(const QString &sql) const { return queryValue(path, sql); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    FakeView view;
    QuestionEditor editor{state, view};
    QString path;
};

} // namespace qcm::test
