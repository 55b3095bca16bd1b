#pragma once

#include <QString>

// The program's own words about itself, kept in one place.
namespace qcm::Branding {

inline QString applicationTitle()
{
    return QStringLiteral("QCM Vol Libre");
}
inline QString runnerHeading()
{
    return QStringLiteral("Entraînement aux examens théoriques du vol libre");
}
inline QString description()
{
    return QStringLiteral("Questionnaires à choix multiples pour préparer les examens théoriques "
                          "des brevets et qualifications de parapente et de delta : entraînement par domaine, "
                          "gestion de la banque de questions et composition de QCM de 60 questions.");
}
inline QString credits()
{
    return QStringLiteral("Conception et réalisation : l'équipe QCM Vol Libre.");
}
inline QString slogan()
{
    return QStringLiteral("Bien comprendre le ciel pour mieux y voler.");
}
inline QString webAddress()
{
    return QStringLiteral("https://qcm-vol-libre.example.org");
}

} // namespace qcm::Branding
