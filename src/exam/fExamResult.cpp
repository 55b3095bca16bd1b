#include "fExamResult.h"

#include "Marking.h"

#include "state/FileOps.h"
#include "state/IniFile.h"
#include "ui/Pictures.h"
#include "ui/QuestionLook.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QStandardPaths>
#include <QTextDocument>
#include <QVBoxLayout>

namespace qcm {

using namespace QuestionLook;

namespace {

const QString kTitle = QStringLiteral("Résultats de l'examen blanc");
const QString kCrLf = QStringLiteral("\r\n");
const QString kLayout = QStringLiteral("Résultat examen blanc.rpt");
// The folder of the last PDF, shared with the reports window.
const QString kPdfSection = QStringLiteral("Rapports");
const QString kPdfFolderKey = QStringLiteral("Dossier PDF");
const QColor kPassed(27, 122, 46);
const QColor kFailed(176, 28, 28);

} // namespace

fExamResult::fExamResult(QCMBas &state, ExamRecord exam, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_exam(std::move(exam)), m_runReport(&runReport)
{
    setObjectName(QStringLiteral("fExamResult"));
    setWindowTitle(kTitle);
    setWindowIcon(appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    if (!m_exam.mark)
        m_exam.mark = paperMark(m_exam.questions, m_exam.negative);
    build();
}

fExamResult::~fExamResult() = default;

void fExamResult::build()
{
    const QFont base = font();
    auto *root = new QVBoxLayout(this);
    root->setSpacing(8);

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("lblCandidat"));
    m_heading->setTextFormat(Qt::PlainText);
    m_heading->setFont(sized(base, 13, true));
    m_heading->setAccessibleDescription(QStringLiteral("Candidat et sujet"));
    m_heading->setText(QStringLiteral("Examen blanc de %1 – %2").arg(m_exam.candidate, m_exam.paperName));
    m_heading->setWordWrap(true);
    root->addWidget(m_heading);

    const int mark = *m_exam.mark;
    const bool passed = mark >= m_exam.passMark;
    auto *result = new QHBoxLayout;
    m_mark = new QLabel(this);
    m_mark->setObjectName(QStringLiteral("lblNote"));
    m_mark->setTextFormat(Qt::PlainText);
    m_mark->setFont(sized(base, 20, true));
    m_mark->setAccessibleDescription(QStringLiteral("Note"));
    m_mark->setText(
        QStringLiteral("%1 / %2 (%3)").arg(mark).arg(m_exam.maximum).arg(percentText(mark, m_exam.maximum)));
    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("lblVerdict"));
    m_verdict->setTextFormat(Qt::PlainText);
    m_verdict->setFont(sized(base, 20, true));
    m_verdict->setAutoFillBackground(true);
    m_verdict->setMargin(6);
    m_verdict->setAccessibleDescription(QStringLiteral("Verdict"));
    m_verdict->setText(passed ? QStringLiteral("Reçu") : QStringLiteral("Ajourné"));
    setColours(m_verdict, passed ? kPassed : kFailed, Qt::white);
    result->addWidget(m_mark);
    result->addSpacing(16);
    result->addWidget(m_verdict);
    result->addStretch(1);
    root->addLayout(result);

    m_details = new QLabel(this);
    m_details->setObjectName(QStringLiteral("lblDetails"));
    m_details->setTextFormat(Qt::PlainText);
    m_details->setAccessibleDescription(QStringLiteral("Seuil, temps utilisé et date"));
    QString details = QStringLiteral("Seuil de réussite : %1 / %2 – temps utilisé : %3")
                          .arg(m_exam.passMark)
                          .arg(m_exam.maximum)
                          .arg(durationText(m_exam.secondsUsed));
    if (m_exam.durationSeconds)
        details += QStringLiteral(" sur %1").arg(durationText(*m_exam.durationSeconds));
    details += QStringLiteral(" – le %1").arg(m_exam.started.toString(QStringLiteral("dd/MM/yyyy à HH:mm")));
    if (m_exam.state == ExamState::TimeUp)
        details += QStringLiteral(" – copie rendue à la fin du temps");
    m_details->setText(details);
    root->addWidget(m_details);

    auto *domainsTitle = new QLabel(QStringLiteral("Réussite par domaine, du plus faible au plus fort :"), this);
    domainsTitle->setFont(sized(base, kNormal, true));
    root->addWidget(domainsTitle);
    m_domains = new QTableView(this);
    m_domains->setObjectName(QStringLiteral("tblDomaines"));
    m_domains->setAccessibleName(QStringLiteral("Réussite par domaine"));
    const double passRatio = m_exam.maximum > 0 ? double(m_exam.passMark) / m_exam.maximum : 0.75;
    m_domains->setModel(new DomainTableModel(domainBreakdown(m_exam.questions, m_exam.negative), passRatio, this));
    m_domains->setItemDelegateForColumn(4, new RatioBarDelegate(this));
    m_domains->verticalHeader()->hide();
    m_domains->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_domains->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_domains->setAlternatingRowColors(true);
    m_domains->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < 4; ++c)
        m_domains->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    m_domains->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Fixed);
    m_domains->horizontalHeader()->resizeSection(4, 300);
    m_domains->verticalHeader()->setDefaultSectionSize(24);
    // A bank's usual ten domains without a scroll bar; more scroll.
    const int rows = std::clamp(m_domains->model()->rowCount(), 1, 10);
    m_domains->setFixedHeight(m_domains->horizontalHeader()->sizeHint().height() + rows * 24 + 4);
    root->addWidget(m_domains);

    auto *reviewBar = new QHBoxLayout;
    auto *reviewTitle = new QLabel(QStringLiteral("Relecture :"), this);
    reviewTitle->setFont(sized(base, kNormal, true));
    m_mistakesOnly = new QCheckBox(QStringLiteral("&Seulement mes erreurs"), this);
    m_mistakesOnly->setObjectName(QStringLiteral("chkErreurs"));
    m_mistakesOnly->setToolTip(QStringLiteral("N'affiche que les questions qui n'ont pas obtenu 6 points"));
    connect(m_mistakesOnly, &QCheckBox::toggled, this, &fExamResult::showReview);
    reviewBar->addWidget(reviewTitle);
    reviewBar->addWidget(m_mistakesOnly);
    reviewBar->addStretch(1);
    root->addLayout(reviewBar);
    m_review = new QTextBrowser(this);
    m_review->setObjectName(QStringLiteral("txtRelecture"));
    m_review->setAccessibleName(QStringLiteral("Relecture des questions"));
    m_review->setOpenLinks(false);
    root->addWidget(m_review, 1);

    auto *buttons = new QHBoxLayout;
    m_retake = new QPushButton(QStringLiteral("&Refaire les questions manquées"), this);
    m_retake->setObjectName(QStringLiteral("cmdRefaire"));
    int missedCount = 0;
    for (const ExamQuestion &q : m_exam.questions)
        missedCount += missed(q, m_exam.negative) ? 1 : 0;
    m_retake->setEnabled(missedCount > 0);
    m_retake->setToolTip(missedCount > 0
            ? QStringLiteral(
                "Un nouvel examen, sans limite de temps, sur les %1 questions qui n'ont pas obtenu 6 points")
                  .arg(missedCount)
            : QStringLiteral("Toutes les questions ont obtenu 6 points"));
    m_pdf = new QPushButton(QStringLiteral("Enregistrer en &PDF"), this);
    m_pdf->setObjectName(QStringLiteral("cmdPDF"));
    m_pdf->setToolTip(QStringLiteral("Enregistre le relevé de cet examen dans un fichier PDF"));
    m_close = new QPushButton(QStringLiteral("&Fermer"), this);
    m_close->setObjectName(QStringLiteral("cmdFermer"));
    connect(m_retake, &QPushButton::clicked, this, [this] { Q_EMIT retakeRequested(m_exam); });
    connect(m_pdf, &QPushButton::clicked, this, &fExamResult::savePdf);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(m_retake);
    buttons->addStretch(1);
    buttons->addWidget(m_pdf);
    buttons->addWidget(m_close);
    root->addLayout(buttons);

    resize(1000, 680);
}

// The review is written once the window has its size: laid out once, at the
// width it is shown at.
void fExamResult::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_reviewDocument)
        showReview();
}

// Written into a document of its own, then shown: a document written while
// on screen is laid out again at every insertion.
void fExamResult::showReview()
{
    auto *document = new QTextDocument(m_review);
    document->setDefaultFont(m_review->font());
    writeReview(*document, m_exam, m_mistakesOnly->isChecked());
    m_review->setDocument(document);
    delete std::exchange(m_reviewDocument, document);
}

void fExamResult::savePdf()
{
    DialogService &dialogs = m_state.dialogs();
    QString folder = IniFile::readString(m_state.IniPath, kPdfSection, kPdfFolderKey, {});
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        folder = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    }
    const QString suggested
        = safeFileName(QStringLiteral("Examen blanc - %1 - %2.pdf")
                           .arg(m_exam.candidate, m_exam.started.toString(QStringLiteral("dd-MM-yyyy HH'h'mm"))));
    QString path = dialogs.saveFileName({QStringLiteral("Enregistrer le relevé en PDF"),
        {{QStringLiteral("Fichiers PDF"), QStringLiteral("*.pdf")}}, QDir(folder).filePath(suggested)});
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    const QFileInfo target(path);
    m_state.writeSetting(kPdfSection, kPdfFolderKey, target.absolutePath());
    if (target.exists() && !dialogs.confirmReplace(target.fileName()))
        return;

    ReportRequest request;
    request.layoutPath = m_state.AppFolder() + kLayout;
    request.destination = ReportDestination::Pdf;
    request.pdfPath = path;
    request.title = QStringLiteral("Examen blanc de %1").arg(m_exam.candidate);
    request.resultSheet = std::make_shared<ResultSheet>(resultSheet(m_exam, m_mistakesOnly->isChecked()));
    const ReportOutcome outcome = m_runReport(request);
    if (outcome.code != ReportCode::Ok) {
        dialogs.MoxBox(QStringLiteral("Le relevé n'a pas été enregistré en PDF.") + kCrLf + kCrLf + outcome.message,
            Icon::Error, QStringLiteral("Enregistrement en PDF"), QStringLiteral("OK"));
        return;
    }
    dialogs.MoxBox(QStringLiteral("Le relevé est enregistré dans le fichier :") + kCrLf + path, Icon::Pdf,
        QStringLiteral("Enregistrement en PDF"), QStringLiteral("OK"));
}

} // namespace qcm
