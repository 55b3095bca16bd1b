// Builds a question database from the text form of a bank:
//   qcm-makebank SOURCE.txt TARGET
// The target is written under a temporary name and renamed once complete.
#include "database/BankText.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: qcm-makebank SOURCE.txt TARGET\n";
        return 2;
    }
    QFile source(args.at(1));
    if (!source.open(QIODevice::ReadOnly)) {
        err << "cannot read " << args.at(1) << "\n";
        return 1;
    }
    qcm::BankContent bank;
    QString error;
    if (!qcm::parseBankText(QString::fromUtf8(source.readAll()), bank, &error)) {
        err << args.at(1) << ": " << error << "\n";
        return 1;
    }
    for (const qcm::Question &q : bank.questions) {
        const QString why = qcm::pointsRuleViolation(q);
        if (!why.isEmpty()) {
            err << args.at(1) << ": question " << q.code << "." << q.numero << ": " << why << "\n";
            return 1;
        }
    }
    const QString target = args.at(2);
    const QString partial = target + QStringLiteral(".partial");
    QFile::remove(partial);
    if (!qcm::writeBank(partial, bank, &error)) {
        QFile::remove(partial);
        err << error << "\n";
        return 1;
    }
    QFile::remove(target);
    if (!QFile::rename(partial, target)) {
        err << "cannot write " << target << "\n";
        return 1;
    }
    return 0;
}
