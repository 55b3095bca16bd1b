#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace qcm {

// Tables of results ready made by the caller (a class, a candidate's
// record): the engine lays them out with a layout of the "tableau" model.
struct TableSheet {
    QString name; // {nom}
    QString date; // {date}: the day printed, or the period shown

    struct Section {
        QString heading;
        QStringList columns;
        QList<QStringList> rows;
        int wideColumn = -1; // the column that gives way when the page is too narrow; -1: the widest
    };
    QList<Section> sections;
};

} // namespace qcm
