#include "fExamSetup.h"

#include "Marking.h"

#include "state/IniFile.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace qcm {

namespace {

const QString kSection = QStringLiteral("Examen blanc");
const QString kTitle = QStringLiteral("Examen blanc");
constexpr int kLongestName = 60;

QString specialityText(const std::array<int, kSpecialityCount> &boxes)
{
    QString s;
    for (int b : boxes)
        s += b ? u'1' : u'0';
    return s;
}

} // namespace

ExamSettings ExamSettingsFile::read(const QString &iniPath)
{
    ExamSettings s;
    auto text = [&](const char *key, const QString &fallback) {
        return IniFile::readString(iniPath, kSection, QString::fromUtf8(key), fallback);
    };
    auto number = [&](const char *key, int fallback, int low, int high) {
        return std::clamp(IniFile::readInt(iniPath, kSection, QString::fromUtf8(key), fallback), low, high);
    };
    s.paper
        = text("Sujet", QStringLiteral("tirage")) == QStringLiteral("qcm") ? PaperKind::Questionnaire : PaperKind::Draw;
    s.questionnaire = text("QCM", {});
    s.questionCount = number("Questions", s.questionCount, 1, 1000);
    const QString boxes = text("Spécialités", specialityText(s.specialities));
    if (boxes.size() == kSpecialityCount && !boxes.contains(QRegularExpression(QStringLiteral("[^01]"))))
        for (int i = 0; i < kSpecialityCount; ++i)
            s.specialities[size_t(i)] = boxes.at(i) == u'1' ? 1 : 0;
    s.durationMinutes = number("Durée", s.durationMinutes, 0, 600);
    s.passPercent = number("Seuil", s.passPercent, 1, 100);
    s.negative = text("Points négatifs", {}) == QStringLiteral("sur le total") ? NegativePoints::CarryToTotal
                                                                               : NegativePoints::FloorEachQuestion;
    return s;
}

// Only a convenience for the next exam: a settings file that cannot be
// written stops nothing.
void ExamSettingsFile::write(QCMBas &state, const ExamSettings &s)
{
    const std::pair<const char *, QString> values[]
        = {{"Sujet", s.paper == PaperKind::Questionnaire ? QStringLiteral("qcm") : QStringLiteral("tirage")},
            {"QCM", s.questionnaire}, {"Questions", QString::number(s.questionCount)},
            {"Spécialités", specialityText(s.specialities)}, {"Durée", QString::number(s.durationMinutes)},
            {"Seuil", QString::number(s.passPercent)},
            {"Points négatifs",
                s.negative == NegativePoints::CarryToTotal ? QStringLiteral("sur le total")
                                                           : QStringLiteral("par question")}};
    for (const auto &[key, value] : values)
        if (!state.writeSetting(kSection, QString::fromUtf8(key), value))
            return;
}

fExamSetup::fExamSetup(
    QCMBas &state, const QStringList &candidates, QList<QuestionFlags> flags, QString flagsError, QWidget *parent)
    : QDialog(parent), m_state(state), m_flags(std::move(flags)), m_flagsError(std::move(flagsError))
{
    setObjectName(QStringLiteral("fExamSetup"));
    setWindowTitle(kTitle);
    build(candidates);
    apply(ExamSettingsFile::read(m_state.IniPath));
    refresh();
}

fExamSetup::~fExamSetup() = default;

void fExamSetup::build(const QStringList &candidates)
{
    auto *root = new QVBoxLayout(this);

    auto *who = new QFormLayout;
    m_candidate = new QComboBox(this);
    m_candidate->setObjectName(QStringLiteral("cmbCandidat"));
    m_candidate->setEditable(true);
    m_candidate->setInsertPolicy(QComboBox::NoInsert);
    m_candidate->addItems(candidates);
    m_candidate->setMinimumWidth(320);
    m_candidate->lineEdit()->setMaxLength(kLongestName * 4); // longer is refused with a message, not cut
    m_candidate->lineEdit()->setPlaceholderText(QStringLiteral("Prénom et nom"));
    auto *whoLabel = new QLabel(QStringLiteral("&Candidat :"), this);
    whoLabel->setBuddy(m_candidate);
    who->addRow(whoLabel, m_candidate);
    root->addLayout(who);

    auto *paper = new QGroupBox(QStringLiteral("Sujet"), this);
    auto *paperGrid = new QGridLayout(paper);
    m_draw = new QRadioButton(QStringLiteral("Un &tirage de"), paper);
    m_count = new QSpinBox(paper);
    m_count->setObjectName(QStringLiteral("txtNombre"));
    m_count->setRange(1, 1000);
    m_count->setAccessibleName(QStringLiteral("Nombre de questions du tirage"));
    auto *countTail = new QLabel(QStringLiteral("questions parmi les spécialités cochées :"), paper);
    auto *drawRow = new QHBoxLayout;
    drawRow->addWidget(m_draw);
    drawRow->addWidget(m_count);
    drawRow->addWidget(countTail, 1);
    paperGrid->addLayout(drawRow, 0, 0, 1, 2);
    const std::array<QString, 2> families{QStringLiteral("Parapente"), QStringLiteral("Delta")};
    for (int f = 0; f < 2; ++f) {
        auto *family = new QGroupBox(families[size_t(f)], paper);
        auto *column = new QVBoxLayout(family);
        for (int k = 3 * f; k < 3 * f + 3; ++k) {
            const SpecialityInfo &info = specialityInfo(Speciality(k));
            auto *box = new QCheckBox(info.caption, family);
            box->setObjectName(QStringLiteral("chkOpt(%1)").arg(k));
            box->setToolTip(info.certificateTitle);
            column->addWidget(box);
            m_boxes[size_t(k)] = box;
            connect(box, &QCheckBox::toggled, this, &fExamSetup::refresh);
        }
        paperGrid->addWidget(family, 1, f);
    }
    m_available = new QLabel(paper);
    m_available->setObjectName(QStringLiteral("lblDisponibles"));
    m_available->setAccessibleDescription(QStringLiteral("Questions disponibles pour le tirage"));
    paperGrid->addWidget(m_available, 2, 0, 1, 2);
    m_questionnaire = new QRadioButton(QStringLiteral("Un &QCM enregistré :"), paper);
    m_questionnaires = new QComboBox(paper);
    m_questionnaires->setObjectName(QStringLiteral("cmbQCM"));
    m_questionnaires->setAccessibleName(QStringLiteral("QCM enregistré"));
    StoreError e;
    if (const auto names = m_state.bank().questionnaireNames(&e))
        m_questionnaires->addItems(*names);
    if (m_questionnaires->count() == 0) {
        m_questionnaire->setEnabled(false);
        m_questionnaires->setEnabled(false);
        m_questionnaire->setText(QStringLiteral("Un &QCM enregistré (aucun n'est enregistré dans cette base)"));
    }
    auto *qcmRow = new QHBoxLayout;
    qcmRow->addWidget(m_questionnaire);
    qcmRow->addWidget(m_questionnaires, 1);
    paperGrid->addLayout(qcmRow, 3, 0, 1, 2);
    root->addWidget(paper);

    auto *rules = new QGroupBox(QStringLiteral("Règles"), this);
    auto *form = new QFormLayout(rules);
    m_duration = new QSpinBox(rules);
    m_duration->setObjectName(QStringLiteral("txtDuree"));
    m_duration->setRange(0, 600);
    m_duration->setSuffix(QStringLiteral(" min"));
    m_duration->setSpecialValueText(QStringLiteral("sans limite"));
    m_duration->setToolTip(QStringLiteral("0 : sans limite de temps"));
    auto *durationLabel = new QLabel(QStringLiteral("&Durée :"), rules);
    durationLabel->setBuddy(m_duration);
    m_duration->setMinimumWidth(130);
    auto *durationRow = new QHBoxLayout;
    durationRow->addWidget(m_duration);
    durationRow->addStretch(1);
    form->addRow(durationLabel, durationRow);
    m_pass = new QSpinBox(rules);
    m_pass->setObjectName(QStringLiteral("txtSeuil"));
    m_pass->setRange(1, 100);
    m_pass->setSuffix(QStringLiteral(" %"));
    m_pass->setMinimumWidth(130);
    m_passMark = new QLabel(rules);
    m_passMark->setObjectName(QStringLiteral("lblSeuil"));
    m_passMark->setAccessibleDescription(QStringLiteral("Note qu'il faut atteindre"));
    auto *passRow = new QHBoxLayout;
    passRow->addWidget(m_pass);
    passRow->addWidget(m_passMark, 1);
    auto *passLabel = new QLabel(QStringLiteral("&Seuil de réussite :"), rules);
    passLabel->setBuddy(m_pass);
    form->addRow(passLabel, passRow);
    m_floor = new QRadioButton(QStringLiteral("Une question ne compte jamais moins de &0 point"), rules);
    m_carry = new QRadioButton(
        QStringLiteral("Les points &négatifs se reportent sur le total (qui reste au moins à 0)"), rules);
    auto *negative = new QVBoxLayout;
    negative->addWidget(m_floor);
    negative->addWidget(m_carry);
    form->addRow(new QLabel(QStringLiteral("Points négatifs :"), rules), negative);
    root->addWidget(rules);

    auto *buttons = new QDialogButtonBox(this);
    m_startButton = buttons->addButton(QStringLiteral("C&ommencer"), QDialogButtonBox::AcceptRole);
    m_startButton->setObjectName(QStringLiteral("cmdCommencer"));
    m_startButton->setDefault(true);
    m_cancelButton = buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    m_cancelButton->setObjectName(QStringLiteral("cmdAnnuler"));
    root->addWidget(buttons);
    connect(m_startButton, &QPushButton::clicked, this, &fExamSetup::begin);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    for (QRadioButton *r : {m_draw, m_questionnaire})
        connect(r, &QRadioButton::toggled, this, &fExamSetup::refresh);
    connect(m_questionnaires, &QComboBox::currentIndexChanged, this, &fExamSetup::refresh);
    connect(m_count, &QSpinBox::valueChanged, this, &fExamSetup::refresh);
    connect(m_pass, &QSpinBox::valueChanged, this, &fExamSetup::refresh);
}

void fExamSetup::apply(const ExamSettings &s)
{
    const int stored = m_questionnaires->findText(s.questionnaire);
    if (stored >= 0)
        m_questionnaires->setCurrentIndex(stored);
    (s.paper == PaperKind::Questionnaire && m_questionnaire->isEnabled() ? m_questionnaire : m_draw)->setChecked(true);
    m_count->setValue(s.questionCount);
    for (int k = 0; k < kSpecialityCount; ++k)
        m_boxes[size_t(k)]->setChecked(s.specialities[size_t(k)] != 0);
    m_duration->setValue(s.durationMinutes);
    m_pass->setValue(s.passPercent);
    (s.negative == NegativePoints::CarryToTotal ? m_carry : m_floor)->setChecked(true);
}

ExamSettings fExamSetup::settings() const
{
    ExamSettings s;
    s.paper = m_questionnaire->isChecked() ? PaperKind::Questionnaire : PaperKind::Draw;
    s.questionnaire = m_questionnaires->currentText();
    s.questionCount = m_count->value();
    for (int k = 0; k < kSpecialityCount; ++k)
        s.specialities[size_t(k)] = m_boxes[size_t(k)]->isChecked() ? 1 : 0;
    s.durationMinutes = m_duration->value();
    s.passPercent = m_pass->value();
    s.negative = m_carry->isChecked() ? NegativePoints::CarryToTotal : NegativePoints::FloorEachQuestion;
    return s;
}

int fExamSetup::paperSize() const
{
    if (m_questionnaire->isChecked()) {
        const auto stored = m_state.bank().questionnaire(m_questionnaires->currentText());
        return stored ? int(stored->rows.size()) : 0;
    }
    return m_count->value();
}

void fExamSetup::refresh()
{
    const bool draw = m_draw->isChecked();
    m_count->setEnabled(draw);
    for (QCheckBox *box : m_boxes)
        box->setEnabled(draw);
    m_questionnaires->setEnabled(!draw && m_questionnaire->isEnabled());
    const ExamSettings s = settings();
    if (!m_flagsError.isEmpty()) {
        m_available->setText(QStringLiteral("La banque ne peut pas être lue : %1").arg(m_flagsError));
    } else {
        const qsizetype n = eligibleCount(m_flags, s.specialities);
        m_available->setText(n == 0 ? QStringLiteral("Aucune question ne correspond aux spécialités cochées.")
                : n == 1            ? QStringLiteral("1 question correspond aux spécialités cochées.")
                                    : QStringLiteral("%1 questions correspondent aux spécialités cochées.").arg(n));
    }
    m_available->setEnabled(draw);
    const int maximum = paperMaximum(paperSize());
    m_passMark->setText(QStringLiteral("soit %1 / %2").arg(passMarkFor(maximum, m_pass->value())).arg(maximum));
}

bool fExamSetup::refuse(const QString &message, QWidget *field)
{
    m_state.dialogs().MoxBox(message, Icon::Warning, kTitle, QStringLiteral("OK"));
    field->setFocus();
    return false;
}

void fExamSetup::begin()
{
    const QString name = m_candidate->currentText().simplified();
    if (name.isEmpty()) {
        refuse(QStringLiteral("Indiquez le nom du candidat."), m_candidate);
        return;
    }
    if (name.size() > kLongestName) {
        refuse(QStringLiteral("Le nom du candidat ne peut pas dépasser %1 caractères (il en a %2).")
                   .arg(kLongestName)
                   .arg(name.size()),
            m_candidate);
        return;
    }
    const ExamSettings s = settings();
    Paper paper;
    if (s.paper == PaperKind::Questionnaire) {
        paper = questionnairePaper(m_state.bank(), s.questionnaire);
    } else {
        if (!m_flagsError.isEmpty()) {
            refuse(QStringLiteral("La banque ne peut pas être lue : %1").arg(m_flagsError), m_count);
            return;
        }
        m_state.dialogs().randomize();
        DialogService &dialogs = m_state.dialogs();
        paper
            = drawPaper(m_state.bank(), m_flags, s.specialities, s.questionCount, [&dialogs] { return dialogs.rnd(); });
        paper.name = drawName(s.questionCount, s.specialities);
    }
    if (!paper.refusal.isEmpty()) {
        refuse(paper.refusal, s.paper == PaperKind::Questionnaire ? static_cast<QWidget *>(m_questionnaires) : m_count);
        return;
    }
    ExamStart start;
    start.candidate = name;
    start.paperKind = s.paper;
    start.paperName = paper.name;
    if (s.paper == PaperKind::Draw)
        start.specialities = s.specialities;
    start.durationMinutes = s.durationMinutes;
    start.passPercent = s.passPercent;
    start.negative = s.negative;
    start.bankPath = m_state.DbPath;
    start.questions = std::move(paper.questions);
    m_start = std::move(start);
    ExamSettingsFile::write(m_state, s);
    accept();
}

} // namespace qcm
