#include "ScriptedDialogs.h"

#include <utility>

#include <gtest/gtest.h>

#include <random>

namespace qcm::test {

namespace {

std::string show(const QString &s)
{
    return '"' + s.toStdString() + '"';
}

template <typename T> T take(QList<T> &queue, const char *what, const QString &context, T fallback)
{
    if (queue.isEmpty()) {
        ADD_FAILURE() << "Unscripted " << what << ": " << show(context);
        return fallback;
    }
    return queue.takeFirst();
}

} // namespace

void PrintTo(const ScriptedDialogs::Box &box, std::ostream *os)
{
    *os << "Box{" << show(box.message) << ", icon " << box.icon << ", " << show(box.title) << ", " << show(box.caption0)
        << ", " << show(box.caption1) << ", " << show(box.caption2) << ", align " << box.alignment << "}";
}

ScriptedDialogs::ScriptedDialogs()
{
    random = [engine = std::mt19937_64(20261206)]() mutable { return double(engine() >> 11) * 0x1.0p-53; };
}

ScriptedDialogs::~ScriptedDialogs()
{
    expectAllAnswersUsed();
}

void ScriptedDialogs::expectAllAnswersUsed()
{
    EXPECT_TRUE(boxAnswers.isEmpty()) << boxAnswers.size() << " box answer(s) never used";
    EXPECT_TRUE(inputAnswers.isEmpty()) << inputAnswers.size() << " input answer(s) never used";
    EXPECT_TRUE(openAnswers.isEmpty()) << openAnswers.size() << " open-dialog answer(s) never used";
    EXPECT_TRUE(saveAnswers.isEmpty()) << saveAnswers.size() << " save-dialog answer(s) never used";
    EXPECT_TRUE(printAnswers.isEmpty()) << printAnswers.size() << " print-dialog answer(s) never used";
    boxAnswers.clear();
    inputAnswers.clear();
    openAnswers.clear();
    saveAnswers.clear();
    printAnswers.clear();
}

int ScriptedDialogs::showBox(const BoxRequest &b)
{
    boxes.append({b.message, b.icon, b.title, b.caption0, b.caption1, b.caption2, b.alignment});
    return take(boxAnswers, "message box", b.message, 0);
}

QString ScriptedDialogs::InBox(
    const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top)
{
    inputs.append({prompt, title, defaultText, left, top});
    return take(inputAnswers, "input box", title, QString());
}

QString ScriptedDialogs::openFileName(const FileDialogRequest &request)
{
    openRequests.append(request);
    return take(openAnswers, "open dialog", request.title, QString());
}

QString ScriptedDialogs::saveFileName(const FileDialogRequest &request)
{
    saveRequests.append(request);
    return take(saveAnswers, "save dialog", request.title, QString());
}

namespace {

class ScriptedProgress : public Progress {
public:
    explicit ScriptedProgress(std::optional<qint64> cancelAt) : m_cancelAt(cancelAt) { }
    bool advance(qint64 done) override
    {
        if (m_cancelAt && done >= *m_cancelAt)
            m_canceled = true;
        return !m_canceled;
    }
    void setLabel(const QString &) override { }
    bool wasCanceled() const override { return m_canceled; }

private:
    std::optional<qint64> m_cancelAt;
    bool m_canceled = false;
};

} // namespace

std::unique_ptr<Progress> ScriptedDialogs::progress(const ProgressRequest &request)
{
    progressRequests.append(request);
    return std::make_unique<ScriptedProgress>(std::exchange(cancelProgressAt, std::nullopt));
}

std::optional<int> ScriptedDialogs::printDialog(const PrintRequest &request)
{
    printRequests.append(request);
    return take(printAnswers, "print dialog", request.title, std::optional<int>());
}

QStringList ScriptedDialogs::messages() const
{
    QStringList list;
    for (const Box &b : boxes)
        list.append(b.message);
    return list;
}

} // namespace qcm::test
