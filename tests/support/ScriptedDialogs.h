#pragma once

#include "dialogs/DialogService.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace qcm::test {

// Stands in for every dialog: answers come from queues set by the test
// (0, an empty text or a cancelled file dialog when a queue is empty), and
// every box shown is recorded with its exact words.
class ScriptedDialogs : public DialogService {
public:
    struct Box {
        QString message;
        int icon = 0;
        QString title;
        QString caption0, caption1, caption2;
        int alignment = 0;
    };
    struct Input {
        QString prompt, title, defaultText;
        int left = 0, top = 0;
    };

    int MoxBox(const QString &message, int icon, const QString &title, const QString &caption0, const QString &caption1,
        const QString &caption2, int alignment) override;
    QString InBox(
        const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;

    QList<int> boxAnswers;
    QStringList inputAnswers;
    QStringList openAnswers;
    QStringList saveAnswers;

    QList<Box> boxes;
    QList<Input> inputs;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;

    QStringList messages() const;
};

} // namespace qcm::test
