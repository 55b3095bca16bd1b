#pragma once

#include "services/DialogService.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <ostream>

namespace qcm::test {

// Stands in for every dialog and platform service. Answers come from queues
// the test fills; a box for which no answer was scripted fails the test, and
// so does an answer left unused when the double is destroyed. Every box is
// recorded with its exact words.
class ScriptedDialogs : public DialogService {
public:
    // Every argument of a box, compared in one go: EXPECT_EQ(boxes[0], (Box{…})).
    struct Box {
        Box(QString message = {}, int icon = 0, QString title = {}, QString caption0 = {}, QString caption1 = {},
            QString caption2 = {}, int alignment = 0)
            : message(std::move(message)), icon(icon), title(std::move(title)), caption0(std::move(caption0)),
              caption1(std::move(caption1)), caption2(std::move(caption2)), alignment(alignment)
        {
        }
        QString message;
        int icon;
        QString title;
        QString caption0, caption1, caption2;
        int alignment;

        bool operator==(const Box &) const = default;
    };
    struct Input {
        QString prompt, title, defaultText;
        int left = 0, top = 0;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    int showBox(const BoxRequest &box) override;
    QString InBox(
        const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    std::optional<int> printDialog(const PrintRequest &request) override;
    // Records the step; the user "cancels" when the step reaches cancelProgressAt.
    std::unique_ptr<Progress> progress(const ProgressRequest &request) override;
    void setClipboardText(const QString &text) override { clipboard = text; }
    void beep() override { ++beeps; }
    QDate today() override { return date; }
    QDateTime now() override { return QDateTime(date, time); }
    // Moves the scripted clock (and today's date with it).
    void advance(qint64 seconds)
    {
        const QDateTime later = now().addSecs(seconds);
        date = later.date();
        time = later.time();
    }
    void randomize() override { ++randomizeCalls; }
    double rnd() override { return random(); }

    // Fails the test for every scripted answer not used yet, then forgets them.
    void expectAllAnswersUsed();

    // Answers, taken in order. kClosedByCloseBox closes a box with its close box.
    QList<int> boxAnswers;
    QStringList inputAnswers;
    QStringList openAnswers;
    QStringList saveAnswers;
    QList<std::optional<int>> printAnswers;
    QDate date{2026, 12, 6};
    QTime time{9, 0};
    // Uniform numbers in [0, 1); a fixed sequence unless the test sets its own.
    std::function<double()> random;

    // What was shown.
    QList<Box> boxes;
    QList<Input> inputs;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QList<PrintRequest> printRequests;
    QList<ProgressRequest> progressRequests;
    // The progress at which the next progress dialog is cancelled; none: never.
    std::optional<qint64> cancelProgressAt;
    QString clipboard;
    int beeps = 0;
    int randomizeCalls = 0;

    QStringList messages() const;
};

void PrintTo(const ScriptedDialogs::Box &box, std::ostream *os);

} // namespace qcm::test
