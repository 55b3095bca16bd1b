#include "ExchangeFile.h"

#include "CsvFormat.h"
#include "GiftFormat.h"
#include "MoodleXml.h"
#include "state/FileOps.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <cerrno>

namespace qcm::Exchange {

namespace {

constexpr qsizetype kDetectionBytes = 1 << 16;

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / double(1 << 20), 'f', 1).replace(u'.', u',');
}

} // namespace

std::variant<ExchangeFormat, QString> detectFormat(QByteArrayView start)
{
    if (start.isEmpty())
        return QStringLiteral("le fichier est vide.");
    if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF")) {
        // XML says its own encoding; any other text must be UTF-8.
        const bool little = start.startsWith("\xFF\xFE");
        for (qsizetype i = 2; i + 1 < start.size(); i += 2) {
            const char16_t c = little ? char16_t(uchar(start[i]) | uchar(start[i + 1]) << 8)
                                      : char16_t(uchar(start[i]) << 8 | uchar(start[i + 1]));
            if (QChar(c).isSpace())
                continue;
            if (c == u'<')
                return ExchangeFormat::MoodleXml;
            break;
        }
        return QStringLiteral("le texte est en UTF-16 ; enregistrez-le en UTF-8 (« CSV UTF-8 » dans un tableur).");
    }
    if (start.startsWith("PK\x03\x04"))
        return QStringLiteral("c'est un classeur de tableur (xlsx, ods) ou une archive, pas un fichier texte : "
                              "enregistrez la feuille au format « CSV UTF-8 ».");
    if (start.startsWith("SQLite format 3"))
        return QStringLiteral("c'est une base de données, pas un fichier d'échange : on l'ouvre par « Choisir une "
                              "base ».");
    if (start.contains('\0'))
        return QStringLiteral("le fichier contient des octets nuls : c'est un fichier binaire, ou un texte en UTF-16 "
                              "sans marque d'ordre des octets ; enregistrez-le en UTF-8.");
    QByteArrayView text = start;
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    if (i < text.size() && text[i] == '<')
        return ExchangeFormat::MoodleXml;
    qsizetype end = text.indexOf('\n');
    if (const qsizetype cr = text.indexOf('\r'); cr >= 0 && (end < 0 || cr < end))
        end = cr;
    const QByteArrayView line = end < 0 ? text : text.first(end);
    // Only to recognise the heading: the reader itself insists on UTF-8.
    QString firstLine = QString::fromUtf8(line);
    if (firstLine.contains(QChar::ReplacementCharacter))
        firstLine = QString::fromLatin1(line);
    return Csv::looksLikeHeading(firstLine) ? ExchangeFormat::Csv : ExchangeFormat::Gift;
}

ExchangeRead readFile(const QString &path, const ReadProgress &progress)
{
    ExchangeRead failed;
    const QFileInfo info(path);
    if (!info.isFile()) {
        failed.error = QStringLiteral("le fichier est introuvable.");
        return failed;
    }
    if (info.size() > kLargestFile) {
        failed.error = QStringLiteral("il fait %1 Mo ; au-delà de %2 Mo un fichier n'est pas lu (une banque de "
                                      "200 000 questions en fait moins de la moitié).")
                           .arg(megabytes(info.size()), megabytes(kLargestFile));
        return failed;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failed.error = QStringLiteral("le fichier ne peut pas être ouvert (%1).").arg(file.errorString());
        return failed;
    }
    const auto format = detectFormat(file.peek(kDetectionBytes));
    if (const QString *why = std::get_if<QString>(&format)) {
        failed.error = *why;
        return failed;
    }
    return readDevice(file, std::get<ExchangeFormat>(format), progress);
}

ExchangeRead readDevice(QIODevice &device, ExchangeFormat format, const ReadProgress &progress)
{
    switch (format) {
    case ExchangeFormat::Csv:
        return Csv::read(device, progress);
    case ExchangeFormat::MoodleXml:
        return MoodleXml::read(device, progress);
    case ExchangeFormat::Gift:
        return Gift::read(device, progress);
    }
    return {};
}

std::optional<BankContent> exportContent(
    const BankModel &bank, const std::optional<QStringList> &domainCodes, StoreError *error)
{
    const auto domains = bank.domains(error);
    if (!domains)
        return std::nullopt;
    BankContent content;
    if (!domainCodes) {
        const auto questions = bank.questions(error);
        if (!questions)
            return std::nullopt;
        content.domains = *domains;
        content.questions = *questions;
        return content;
    }
    QSet<QString> wanted;
    for (const QString &code : *domainCodes)
        wanted.insert(code.toCaseFolded());
    for (const Domain &d : *domains)
        if (wanted.contains(d.code.toCaseFolded()))
            content.domains.append(d);
    // In the bank's order of codes, whether or not the code has a domain row.
    QStringList codes(wanted.cbegin(), wanted.cend());
    std::sort(codes.begin(), codes.end());
    for (const QString &code : std::as_const(codes)) {
        const auto questions = bank.domainQuestions(code, error);
        if (!questions)
            return std::nullopt;
        content.questions += *questions;
    }
    return content;
}

ExchangeWrite writeContent(const BankContent &content, ExchangeFormat format)
{
    switch (format) {
    case ExchangeFormat::Csv:
        return Csv::write(content);
    case ExchangeFormat::MoodleXml:
        return MoodleXml::write(content);
    case ExchangeFormat::Gift:
        return Gift::write(content);
    }
    return {};
}

ExportOutcome writeFile(const QString &path, const BankContent &content, ExchangeFormat format)
{
    ExchangeWrite written = writeContent(content, format);
    ExportOutcome outcome;
    outcome.refused = written.refused;
    if (QFileInfo(path).isDir()) {
        outcome.error = QStringLiteral("un dossier porte déjà ce nom.");
        return outcome;
    }
    // A bank (the one in use, say) is never replaced by an export of it.
    if (QFile existing(path); existing.open(QIODevice::ReadOnly) && existing.read(16).startsWith("SQLite format 3")) {
        outcome.error = QStringLiteral("ce fichier est une base de données ; un export ne la remplace pas.");
        return outcome;
    }
    QString why;
    if (!writeFileAtomic(path, written.bytes, &why)) {
        const QStorageInfo disk(QFileInfo(path).absolutePath());
        if (why.contains(qt_error_string(ENOSPC)) || (disk.isValid() && disk.bytesAvailable() < written.bytes.size()))
            why = QStringLiteral("le disque est plein : le fichier demande %1 Mo et il en reste %2 ; le fichier est "
                                 "resté tel qu'il était.")
                      .arg(megabytes(written.bytes.size()), megabytes(std::max<qint64>(0, disk.bytesAvailable())));
        outcome.error = why;
        return outcome;
    }
    outcome.written = true;
    outcome.questionsWritten = written.questionsWritten;
    outcome.domainsWritten = written.domainsWritten;
    return outcome;
}

} // namespace qcm::Exchange
