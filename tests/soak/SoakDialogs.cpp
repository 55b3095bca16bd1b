#include "SoakDialogs.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace qcm::soak {

using namespace Qt::StringLiterals;

QString SoakRandom::text()
{
    static const QStringList samples{u"Vent du nord"_s, u"L'aérologie \"thermique\""_s, u"« Vol libre »"_s,
        u"éèêëàâçùûôîï ÉÈÀÇŒœ"_s, u"-6"_s, u"6"_s, u"7"_s, u"0"_s, u"-"_s, u"--3"_s, u"12/05/2026"_s, u"31/02/2026"_s,
        u"1/1"_s, u"  "_s, u"'; DROP TABLE Questions; --"_s, u"Ligne 1\nLigne 2"_s, u"a\tb"_s, u"100 %"_s,
        u"<b>gras</b> & <i>"_s, u"1"_s, u"2"_s, u"3"_s, u"Question ?"_s, u"C:\\Examens\\brevet.mdb"_s,
        u"🪂 parapente"_s, u"Examen 1/2"_s, u"[fort]"_s};
    static const QString letters = u"abcdefghijklmnopqrstuvwxyzéèàçù ABCDEFGHIJÉÀ0123456789'\"-/.,;:!?()[]«»%&<>"_s;
    switch (below(10)) {
    case 0: { // long: a regulation text pasted whole
        QString s;
        const int length = 200 + below(20000);
        while (s.size() < length)
            s += pick(samples) + u' ';
        return s;
    }
    case 1:
    case 2: {
        QString s;
        for (int i = 0, n = 1 + below(30); i < n; ++i)
            s += letters.at(below(int(letters.size())));
        return s;
    }
    default:
        return pick(samples);
    }
}

SoakDialogs::SoakDialogs(SoakRandom &random, QString programFolder, QString scratchFolder)
    : m_random(random), m_program(std::move(programFolder)), m_scratch(std::move(scratchFolder))
{
}

int SoakDialogs::showBox(const BoxRequest &box)
{
    ++boxes;
    const QStringList captions{box.caption0, box.caption1, box.caption2};
    int buttons = 0;
    while (buttons < 3 && !captions[buttons].isEmpty())
        ++buttons;
    const double r = m_random.unit();
    if (r < 0.08)
        return kClosedByCloseBox;
    if (r < 0.12) { // Escape
        for (int i = 0; i < buttons; ++i)
            if (captions[i] == u"Annuler"_s || captions[i] == u"Abandonner"_s)
                return i;
        return 99;
    }
    return m_random.below(std::max(1, buttons));
}

QString SoakDialogs::InBox(const QString &, const QString &, const QString &defaultText, int &, int &)
{
    ++inputs;
    const double r = m_random.unit();
    return r < 0.35 ? QString() : r < 0.65 ? defaultText : m_random.text();
}

QString SoakDialogs::openFileName(const FileDialogRequest &)
{
    ++fileDialogs;
    const QDir program(m_program), scratch(m_scratch);
    return m_random.pick(QStringList{QString(), QString(), program.filePath(u"VAR-irururiza.zov"_s),
        scratch.filePath(u"copie.zov"_s), scratch.filePath(u"pas une base.mdb"_s), scratch.filePath(u"autre.db"_s),
        scratch.filePath(u"absente.zov"_s), program.filePath(u"qcm.mdb"_s)});
}

QString SoakDialogs::saveFileName(const FileDialogRequest &request)
{
    ++fileDialogs;
    // The extension the dialog offers first.
    QString extension = u"zov"_s;
    if (!request.filters.isEmpty()) {
        const QRegularExpressionMatch m = QRegularExpression(u"\\*\\.(\\w+)"_s).match(request.filters.first().patterns);
        if (m.hasMatch())
            extension = m.captured(1);
    }
    // The bank copies and the question export are offered the bank's own
    // files, which they must refuse; a PDF or a results table (one CSV
    // filter) would only be written beside them, under another name.
    const bool bank = extension != u"pdf"_s && !(extension == u"csv"_s && request.filters.size() == 1);
    const QDir scratch(m_scratch);
    const double r = m_random.unit();
    if (r < 0.3)
        return {};
    if (r < 0.45 && !m_saved.isEmpty())
        return m_random.pick(m_saved); // over an earlier one: the replace question
    if (r < 0.52)
        return scratch.filePath(u"absent/dossier/fichier."_s + extension);
    if (bank && r < 0.6)
        return QDir(m_program).filePath(m_random.chance(0.5) ? u"VAR-irururiza.zov"_s : u"qcm.mdb"_s);
    m_saved << scratch.filePath(u"fichier %1.%2"_s.arg(m_saved.size()).arg(extension));
    return m_saved.last();
}

// Never a real printer: with one installed the print is cancelled.
std::optional<int> SoakDialogs::printDialog(const PrintRequest &)
{
    if (!QPrinterInfo::defaultPrinter().isNull() || m_random.chance(0.5))
        return std::nullopt;
    return 1;
}

namespace {

class SoakProgress : public Progress {
public:
    explicit SoakProgress(std::optional<qint64> cancelAt) : m_cancelAt(cancelAt) { }
    bool advance(qint64 done) override
    {
        m_canceled = m_canceled || (m_cancelAt && done >= *m_cancelAt);
        return !m_canceled;
    }
    void setLabel(const QString &) override { }
    bool wasCanceled() const override { return m_canceled; }

private:
    std::optional<qint64> m_cancelAt;
    bool m_canceled = false;
};

} // namespace

std::unique_ptr<Progress> SoakDialogs::progress(const ProgressRequest &request)
{
    std::optional<qint64> cancelAt;
    if (request.cancellable && m_random.chance(0.25))
        cancelAt = m_random.below(int(std::min<qint64>(request.maximum, 1 << 30)) + 1);
    return std::make_unique<SoakProgress>(cancelAt);
}

void SoakDialogs::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

} // namespace qcm::soak
