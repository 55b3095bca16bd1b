#pragma once

#include "database/Schema.h"
#include "services/DialogService.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <memory>

namespace qcm::bench {

// Answers every box with its first button and records nothing.
// A step that is never stopped and shows nothing.
class NoProgress : public Progress {
public:
    bool advance(qint64) override { return true; }
    void setLabel(const QString &) override { }
    bool wasCanceled() const override { return false; }
};

class SilentDialogs : public DialogService {
public:
    int showBox(const BoxRequest &) override { return 0; }
    QString InBox(const QString &, const QString &, const QString &, int &, int &) override { return {}; }
    QString openFileName(const FileDialogRequest &) override { return {}; }
    QString saveFileName(const FileDialogRequest &) override { return {}; }
    std::optional<int> printDialog(const PrintRequest &) override { return 1; }
    void setClipboardText(const QString &) override { }
    void beep() override { }
    QDate today() override { return QDate(2026, 12, 6); }
    QDateTime now() override { return QDateTime::currentDateTime(); }
    std::unique_ptr<Progress> progress(const ProgressRequest &) override { return std::make_unique<NoProgress>(); }
    void randomize() override { }
    double rnd() override { return 0.5; }
};

// A bank of the given size in ten domains, with 4 to 6 choices per question
// and statements of 80 to 300 characters, the same for every run.
BankContent generatedBank(int questions);

// A program folder holding a generated bank as its default database, made
// once per size for the whole run.
QString programFolderWithBank(int questions);

} // namespace qcm::bench
