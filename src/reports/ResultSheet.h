#pragma once

#include "database/Records.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace qcm {

// What a mock exam's result sheet prints, ready made by the caller: the
// engine lays it out with a layout file of the "résultat" model.
struct ResultSheet {
    QString candidate; // {candidat}
    QString paper; // {nom}
    QString speciality; // {spécialité}
    QString date; // {date}, "dd/mm/yyyy"
    QString duration; // {durée}
    int mark = 0; // {note}
    int maximum = 0; // {maximum}
    int passMark = 0; // {seuil}
    bool passed = false; // {verdict}: "Reçu" or "Ajourné"
    QString reviewHeading; // what the review below holds

    struct DomainLine {
        QString name;
        int questions = 0;
        int points = 0;
        int maximum = 0;
    };
    QList<DomainLine> domains; // in the order printed

    struct ReviewedQuestion {
        int number = 0; // on the paper, from 1
        QString reference; // "code/numéro" in the bank
        QString statement;
        std::array<QString, kChoiceCount> lib;
        std::array<std::optional<qint64>, kChoiceCount> val;
        std::array<bool, kChoiceCount> ticked{};
        int score = 0;
    };
    QList<ReviewedQuestion> review;
};

} // namespace qcm
