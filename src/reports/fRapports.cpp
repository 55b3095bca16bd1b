#include "fRapports.h"

#include "reports/ReportActions.h"
#include "reports/ReportPreview.h"
#include "state/IniFile.h"
#include "state/QCMBas.h"
#include "ui/Background.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QWindow>

#include <exception>
#include <new>

namespace qcm {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

const QString kPdfSection = QCMBas::pdfFolderSection();
const QString kPdfFolderKey = QCMBas::pdfFolderKey();

QString printFailureText()
{
    return QStringLiteral("Un paramètre inconnu empêche d'imprimer directement.") + kCrLf + kCrLf
        + QStringLiteral("- La page 'Aperçu' va s'ouvrir lorsque vous fermerez ce message pour vous permettre "
                         "d'imprimer d'une autre façon.")
        + kCrLf
        + QStringLiteral(
            "- En haut de la fenêtre d'aperçu cliquez sur le bouton représentant une imprimante avec une clé jaune.")
        + kCrLf + QStringLiteral("- Sélectionnez une imprimante valide et connectée.") + kCrLf
        + QStringLiteral("- Cliquez ensuite sur l'autre bouton représentant une imprimante toute seule.") + kCrLf
        + QStringLiteral("- L'impression sera lancée.");
}

QString printTitle(const QString &document)
{
    return QStringLiteral("Imprimer « %1 »").arg(document);
}

} // namespace

GradientPanel::GradientPanel(
    const QString &heading, const QColor &from, const QColor &to, bool topToBottom, QWidget *parent)
    : QGroupBox(parent), m_from(from), m_to(to), m_topToBottom(topToBottom)
{
    // The heading is a label of its own inside: the group only names itself by it.
    setAccessibleName(heading);
    setContentsMargins(0, 0, 0, 0);
}

void GradientPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintWindowBackground(painter, size(), m_from, m_to, m_topToBottom);
}

fRapports::fRapports(QCMBas &state, QWidget *parent) : QDialog(parent), m_state(state), m_runReport(runReport)
{
    setObjectName(QStringLiteral("fRapports"));
    setWindowTitle(QStringLiteral("Rapports"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildControls();
    opt(0)->setChecked(true);

    // Its turn comes when the user moves to it from another window of the
    // program: the composer, a preview, a message box.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *w) {
        if (w && (w->type() == Qt::Popup || w->type() == Qt::ToolTip))
            return;
        if (w && w == windowHandle() && m_previousFocusWindow != w)
            activated();
        m_previousFocusWindow = w;
    });
}

fRapports::~fRapports() = default;

void fRapports::buildControls()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(18, 16, 18, 16);
    root->setSpacing(12);

    m_options = new QButtonGroup(this);
    m_options->setExclusive(true);
    auto addOption = [this](int index, QWidget *parent, const QString &description) {
        const ReportKind &kind = reportKinds()[size_t(index)];
        QRadioButton *o = m_opt.add(index, new QRadioButton(kind.caption, parent));
        o->setProperty("documentName", kind.documentName);
        if (!description.isEmpty())
            o->setAccessibleDescription(description);
        o->installEventFilter(this);
        m_options->addButton(o, index);
        connect(o, &QRadioButton::toggled, this, [this, index](bool checked) {
            if (checked)
                showPdfHint(index);
        });
        return o;
    };

    root->addWidget(addOption(0, this, QStringLiteral("Tous les QCM enregistrés")));

    QFont heading = font();
    heading.setBold(true);
    auto *panels = new QHBoxLayout;
    panels->setSpacing(10);
    const QString headings[]
        = {QStringLiteral("QCM pour l'élève"), QStringLiteral("QCM pour le moniteur (avec réponses)")};
    const QColor colours[2][2]
        = {{QColor(224, 224, 224), QColor(165, 165, 165)}, {QColor(128, 128, 128), QColor(224, 224, 224)}};
    for (int p = 0; p < 2; ++p) {
        auto *panel = m_pic.add(p, new GradientPanel(headings[p], colours[p][0], colours[p][1], p == 0, this));
        // Greyed captions stay legible on the grey gradients.
        QPalette palette = panel->palette();
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            palette.setColor(QPalette::Disabled, role, QColor(70, 70, 70));
        panel->setPalette(palette);
        auto *column = new QVBoxLayout(panel);
        column->setContentsMargins(14, 12, 14, 14);
        column->setSpacing(8);
        QLabel *title = m_lbl.add(p, new QLabel(headings[p], panel));
        title->setFont(heading);
        column->addWidget(title);
        for (int i = 1 + 2 * p; i <= 2 + 2 * p; ++i)
            column->addWidget(addOption(i, panel, {})); // the group says whose layouts they are
        column->addStretch();
        panels->addWidget(panel, 1);
    }
    root->addLayout(panels);

    auto *buttons = new QHBoxLayout;
    const QString crystal[] = {QStringLiteral("&Aperçu avant impression"), QStringLiteral("&Impression"),
        QStringLiteral("Enregistrer en &PDF")};
    for (int k = 0; k < 3; ++k) {
        QPushButton *b = m_cmdCrystal.add(k, new QPushButton(crystal[k], this));
        connect(b, &QPushButton::clicked, this, [this, k] {
            const int i = selectedOption();
            QString formula;
            ActionCrystal(k, i, opt(i)->text(), formula);
        });
        buttons->addWidget(b);
    }
    buttons->addStretch();
    QPushButton *close = m_cmd.add(0, new QPushButton(QStringLiteral("&Fermer"), this));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    buttons->addWidget(close);
    root->addLayout(buttons);

    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    root->addWidget(rule);

    // The PDF hint: data the reader must hear as it stands.
    const QString roles[] = {QStringLiteral("Aide à l'impression en PDF"), QStringLiteral("Nom du fichier PDF proposé"),
        QStringLiteral("Aide à l'impression en PDF")};
    auto *hint = new QVBoxLayout;
    hint->setSpacing(3);
    for (int i = 2; i <= 4; ++i) {
        QLabel *l = m_lbl.add(i, new QLabel(this));
        l->setAccessibleDescription(roles[i - 2]);
        l->setWordWrap(true);
        hint->addWidget(l);
    }
    lbl(3)->setFont(heading);
    lbl(3)->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    root->addLayout(hint);
    root->addStretch();

    setMinimumWidth(600);
}

void fRapports::showWindow(bool modal)
{
    m_optionsSetFor.reset();
    m_copyFailedSinceShown = false;
    activated();
    if (modal) {
        // The modality of a window changes only while it is hidden.
        if (isVisible())
            hide();
        exec();
        return;
    }
    show();
    raise();
    activateWindow();
}

void fRapports::activated()
{
    if (!m_copyFailedSinceShown
        && workingCopyNeed(m_state.DbPath, m_state.workingCopyPath()) == WorkingCopyNeed::Create) {
        QString why;
        if (!m_state.copyBankToWorkingCopy(&why)) {
            m_copyFailedSinceShown = true;
            m_state.dialogs().MoxBox(why + kCrLf + kCrLf
                    + QStringLiteral("Les rapports ne pourront pas être produits tant que cette copie manque."),
                Icon::Error, QStringLiteral("Copie impossible"), QStringLiteral("OK"));
        }
    }

    // Set again only when the composer shows another entry, so that coming
    // back from a preview or a message keeps the layout the user chose.
    const QString choice = m_state.windows().composerChoice();
    if (m_optionsSetFor == choice)
        return;
    m_optionsSetFor = choice;
    const bool isNew = ReportSubject(choice).isNew;
    for (const auto &[index, o] : m_opt)
        o->setEnabled(!isNew);
    const int selected = isNew ? 0 : 1;
    opt(selected)->setChecked(true);
    showPdfHint(selected);
    // A disabled option cannot take the focus: the preview button does.
    if (isNew)
        cmdCrystal(0)->setFocus();
    else
        opt(selected)->setFocus();
}

int fRapports::selectedOption() const
{
    for (const auto &[index, o] : m_opt)
        if (o->isChecked())
            return index;
    return 0;
}

void fRapports::showPdfHint(int index)
{
    const ReportSubject subject(m_state.windows().composerChoice());
    const QString document = pdfName(subject, reportKinds()[size_t(index)]);
    lbl(2)->setText(QStringLiteral("Si vous souhaitez imprimer en pdf.\nLe titre du document à créer se trouve dans le "
                                   "presse papier :"));
    lbl(3)->setText(document);
    lbl(4)->setText(QStringLiteral("Collez-le en guise de nom de fichier PDF."));
}

bool fRapports::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        const int index = m_opt.indexOf(watched);
        if (index >= 0 && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            QString formula;
            ActionCrystal(Preview, index, opt(index)->text(), formula);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void fRapports::ActionCrystal(int action, int layout, const QString &caption, QString &formula)
{
    ActionCrystal(action, layout, caption, formula, false);
}

void fRapports::ActionCrystal(int action, int layout, const QString &caption, QString &formula, bool fallback)
{
    if (layout < 0 || layout >= kReportKindCount)
        return;
    DialogService &dialogs = m_state.dialogs();
    const ReportSubject subject(m_state.windows().composerChoice());
    formula = subject.isNew ? QString() : selectionFormula(subject.name);

    const ReportKind &kind = reportKinds()[size_t(layout)];
    if (!kind.filtered)
        formula.clear();
    const QString document = pdfName(subject, kind);
    // For a PDF printer, which asks for a file name; a PDF saved here is named already.
    if (action != SavePdf)
        dialogs.setClipboardText(document);

    try {
        if (!workingCopyReady())
            return;
        ReportRequest request;
        request.layoutPath = m_state.AppFolder() + kind.fileName;
        request.formula = formula;
        request.title = caption;
        request.workingCopyPath = m_state.workingCopyPath();
        if (action == SavePdf) {
            savePdf(request, document);
            return;
        }
        if (action == Print) {
            const std::optional<int> copies = dialogs.printDialog({printTitle(kind.documentName), 1});
            if (!copies)
                return;
            request.destination = ReportDestination::Printer;
            request.copies = *copies;
        } else {
            request.destination = ReportDestination::Window;
            request.preview = previewFactory(this, dialogPreviewServices(dialogs));
        }

        // A long listing takes a while to print: it can be stopped.
        std::unique_ptr<Progress> progress;
        if (request.destination == ReportDestination::Printer) {
            progress = dialogs.progress({printTitle(kind.documentName),
                QStringLiteral("Impression de « %1 » en cours…").arg(kind.documentName), kReportProgressMaximum, true});
            request.progress = progress.get();
        }
        const ReportOutcome outcome = m_runReport(request);
        progress.reset();
        if (outcome.code == ReportCode::Ok)
            return;
        if (outcome.code == ReportCode::Canceled) {
            dialogs.MoxBox(
                outcome.message, Icon::Information, QStringLiteral("Opération annulée"), QStringLiteral("OK"));
            return;
        }
        // The engine's own reason follows, for whoever can mend it.
        dialogs.MoxBox(printFailureText() + kCrLf + kCrLf + outcome.message, Icon::Printer,
            QStringLiteral("Erreur d'impression"), QStringLiteral("OK"));
        if (!fallback)
            ActionCrystal(Preview, layout, caption, formula, true);
    } catch (const std::bad_alloc &) {
        dialogs.MoxBox(QStringLiteral("Erreur 7 Mémoire insuffisante dans la procédure 'ActionCrystal'."), Icon::Error,
            QStringLiteral("Erreur"));
    } catch (const std::exception &e) {
        dialogs.MoxBox(
            QStringLiteral("Erreur 0 %1 dans la procédure 'ActionCrystal'.").arg(QString::fromLocal8Bit(e.what())),
            Icon::Error, QStringLiteral("Erreur"));
    }
}

bool fRapports::workingCopyReady()
{
    if (workingCopyNeed(m_state.DbPath, m_state.workingCopyPath()) == WorkingCopyNeed::None)
        return true;
    QString why;
    if (m_state.copyBankToWorkingCopy(&why))
        return true;
    m_state.dialogs().MoxBox(why + kCrLf + kCrLf
            + QStringLiteral("Le rapport n'est pas produit : la copie de la base qu'il lit n'a pas pu être mise à "
                             "jour."),
        Icon::Error, QStringLiteral("Copie impossible"), QStringLiteral("OK"));
    return false;
}

QString fRapports::pdfFolder()
{
    if (!m_pdfFolder)
        m_pdfFolder = IniFile::readString(m_state.IniPath, kPdfSection, kPdfFolderKey, {});
    if (!m_pdfFolder->isEmpty() && QFileInfo(*m_pdfFolder).isDir())
        return *m_pdfFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void fRapports::savePdf(ReportRequest request, const QString &document)
{
    DialogService &dialogs = m_state.dialogs();
    const QString suffix = QStringLiteral(".pdf");
    const QString suggested = document.endsWith(suffix, Qt::CaseInsensitive) ? document : document + suffix;
    QString path = dialogs.saveFileName({QStringLiteral("Enregistrer le rapport en PDF"),
        {{QStringLiteral("Fichiers PDF"), QStringLiteral("*.pdf")}}, QDir(pdfFolder()).filePath(suggested)});
    if (path.isEmpty())
        return;
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    const QFileInfo target(path);
    m_pdfFolder = target.absolutePath();
    // Only a convenience for next time: a settings file that cannot be
    // written does not spoil the report.
    m_state.writeSetting(kPdfSection, kPdfFolderKey, *m_pdfFolder);

    if (target.exists() && !dialogs.confirmReplace(target.fileName()))
        return;

    request.destination = ReportDestination::Pdf;
    request.pdfPath = path;
    std::unique_ptr<Progress> progress = dialogs.progress({QStringLiteral("Enregistrement en PDF"),
        QStringLiteral("Enregistrement de « %1 »…").arg(target.fileName()), kReportProgressMaximum, true});
    request.progress = progress.get();
    const ReportOutcome outcome = m_runReport(request);
    progress.reset();
    if (outcome.code == ReportCode::Canceled) {
        dialogs.MoxBox(outcome.message, Icon::Information, QStringLiteral("Opération annulée"), QStringLiteral("OK"));
        return;
    }
    if (outcome.code != ReportCode::Ok) {
        dialogs.MoxBox(QStringLiteral("Le rapport n'a pas été enregistré en PDF.") + kCrLf + kCrLf + outcome.message,
            Icon::Error, QStringLiteral("Enregistrement en PDF"), QStringLiteral("OK"));
        return;
    }
    dialogs.MoxBox(QStringLiteral("Le rapport est enregistré dans le fichier :") + kCrLf + path, Icon::Pdf,
        QStringLiteral("Enregistrement en PDF"), QStringLiteral("OK"));
}

} // namespace qcm
