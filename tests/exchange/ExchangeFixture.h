#pragma once

#include "exchange/CsvFormat.h"
#include "exchange/ExchangeFile.h"
#include "exchange/GiftFormat.h"
#include "exchange/ImportPlan.h"
#include "exchange/MoodleXml.h"
#include "support/Fixtures.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qcm::test {

inline ExchangeRead readBytes(ExchangeFormat format, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return Exchange::readDevice(buffer, format);
}

inline QString formatName(ExchangeFormat format)
{
    return exchangeFormatInfo(format).commandName;
}

// The rows of a bank as text, in a fixed order: two banks compare equal when
// they hold the same domains and questions.
inline QStringList bankRows(const QString &path)
{
    return queryRows(path, u"SELECT 'domaine', Code, \"Libellé\" FROM Domaines ORDER BY Code"_s)
        + queryRows(path, u"SELECT * FROM Questions ORDER BY Code, Numero"_s);
}

// A question with its choices and points spelled out.
inline Question question(const QString &code, qint64 numero, const QString &statement,
    const QList<std::pair<QString, int>> &choices, std::array<int, kSpecialityCount> flags = {1, 0, 0, 0, 0, 0})
{
    Question q;
    q.code = code;
    q.numero = numero;
    q.libelle = statement;
    for (int k = 0; k < choices.size(); ++k) {
        q.lib[size_t(k)] = choices.at(k).first;
        q.val[size_t(k)] = choices.at(k).second;
    }
    q.flags = flags;
    return q;
}

// Texts every format must carry as they are.
inline BankContent awkwardBank()
{
    BankContent bank;
    bank.domains
        = {{u"1"_s, u"Météo ; « vent » / rafales"_s}, {u"2"_s, u"Matériel, secours"_s}, {u"3"_s, u"Domaine vide"_s}};
    bank.questions = {
        question(u"1"_s, 1, u"Un cumulus \"bourgeonnant\" ; que faire ?"_s,
            {{u"Partir, vite"_s, 6}, {u"Rester ; attendre"_s, -2}}, {1, 1, 0, 1, 0, 0}),
        question(u"1"_s, 2, u"Première ligne\r\nSeconde ligne\r\n\r\nAprès une ligne vide"_s,
            {{u"Oui\r\nsur deux lignes"_s, 3}, {u"Non"_s, 3}, {u"Peut-être"_s, -1}}, {0, 0, 0, 0, 0, 1}),
        question(u"1"_s, 7, u"GIFT : ~ = # { } \\ :: et \\n littéral"_s,
            {{u"=égal"_s, 2}, {u"~tilde"_s, 2}, {u"#dièse {accolades}"_s, 2}, {u"a\\b"_s, 0}}),
        question(u"2"_s, 3, u"Émoji 🪂 et accents : àéèêëïîôùç ÀÉ œ « » — …"_s,
            {{u"🌬️ vent"_s, 4}, {u"☀️ soleil"_s, 2}, {u"<b>pas du HTML</b> &amp;"_s, -6}}, {0, 1, 1, 0, 1, 1}),
        // A gap before the last choice keeps the letters that follow it.
        question(u"2"_s, 4, u"[html] qui n'en est pas"_s,
            {{u"A"_s, 1}, {u"B"_s, 1}, {u"C"_s, 1}, {u"D"_s, 1}, {u"E"_s, 1}, {u"F"_s, 1}}),
        question(u"2"_s, 2147483647, u"Le plus grand numéro"_s, {{u"Un"_s, 5}, {u"Deux"_s, 1}, {u"Trois"_s, -5}}),
    };
    Question gap = question(u"2"_s, 5, u"Choix C vide"_s, {{u"A"_s, 6}, {u"B"_s, -3}, {u""_s, 0}, {u"D"_s, 0}});
    gap.val[2].reset();
    bank.questions.append(gap);
    return bank;
}

// A bank of the given size over ten domains, the same at every run, with
// every speciality pattern and all points from -6 to 6.
inline BankContent generatedBank(int questions)
{
    BankContent bank;
    for (int d = 0; d < 10; ++d)
        bank.domains.append({QString::number(d), u"Domaine n° %1 ; « %2 »"_s.arg(d).arg(QChar(u'A' + d))});
    for (int i = 0; i < questions; ++i) {
        const int d = i % 10;
        Question q;
        q.code = QString::number(d);
        q.numero = i / 10 + 1;
        q.libelle = u"Question %1 : quel vent, quelle \"voile\" ; quelle aile ?"_s.arg(i);
        const int choices = 2 + i % 5;
        for (int k = 0; k < choices; ++k) {
            q.lib[size_t(k)] = u"Réponse %1 de la question %2"_s.arg(QChar(u'A' + k)).arg(i);
            q.val[size_t(k)] = k == 0 ? 6 - i % 4 : k == 1 ? i % 4 : -(i + k) % 7;
        }
        for (int s = 0; s < kSpecialityCount; ++s)
            q.flags[size_t(s)] = (i + 1) >> s & 1;
        if (std::none_of(q.flags.begin(), q.flags.end(), [](int f) { return f; }))
            q.flags[0] = 1;
        bank.questions.append(q);
    }
    return bank;
}

// An empty bank in its own folder, and a model over it.
struct EmptyBank {
    EmptyBank()
    {
        path = QDir(dir.path()).filePath(u"vide.zov"_s);
        QString error;
        EXPECT_TRUE(Schema::create(path, &error)) << error.toStdString();
        StoreError e;
        connection = Connection::open(path, &e);
        EXPECT_TRUE(connection) << e.description.toStdString();
    }
    BankModel model() const { return BankModel(connection); }

    QTemporaryDir dir;
    QString path;
    std::shared_ptr<Connection> connection;
};

// Reads, plans against the bank and stores what is new; the plan is returned.
inline ImportPlan importInto(const BankModel &bank, ExchangeRead read)
{
    EXPECT_FALSE(read.failed()) << read.error.toStdString();
    ImportPlanner planner(std::move(read));
    StoreError error;
    EXPECT_TRUE(planner.load(bank, &error)) << error.description.toStdString();
    ImportPlan plan = planner.plan();
    BankModel writable = bank;
    EXPECT_FALSE(applyImport(writable, plan, ExistingQuestions::Keep).isError());
    return plan;
}

} // namespace qcm::test
