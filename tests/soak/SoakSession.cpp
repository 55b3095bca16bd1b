#include "SoakSession.h"

#include "SoakDialogs.h"
#include "SoakRandom.h"

#include "app/AppWindows.h"
#include "database/BankText.h"
#include "database/Schema.h"
#include "database/Sqlite.h"
#include "runner/fQCM.h"
#include "state/QCMBas.h"
#include "ui/Application.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPrintDialog>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace qcm::soak {

using namespace Qt::StringLiterals;

namespace {

// One line of the log, out at once: a crash must not swallow it.
void say(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString shown(const QString &text)
{
    QString s = text.left(40);
    s.replace(u'\n', u"\\n"_s).replace(u'\r', u"\\r"_s).replace(u'\t', u"\\t"_s);
    if (text.size() > 40)
        s += u"…(%1 characters)"_s.arg(text.size());
    return u'"' + s + u'"';
}

QString describe(const QWidget *w)
{
    if (!w)
        return u"(nothing)"_s;
    auto name = [](const QObject *o) {
        return o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className()) : o->objectName();
    };
    return w->isWindow() ? name(w) : name(w->window()) + u'/' + name(w);
}

bool isSqliteFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

// What is wrong with a database file, read through a connection of its own:
// its integrity, and for a bank, points out of -6 to 6. Empty when sound.
QString bankFault(const QString &path)
{
    SqliteDb db;
    QString error;
    if (!db.open(path, SqliteDb::Mode::ReadOnly, &error))
        return u"cannot be opened: "_s + error;
    SqliteStatement integrity = db.prepare(u"PRAGMA integrity_check"_s);
    if (!integrity.step() || integrity.column(0).toString() != u"ok"_s)
        return u"integrity_check: "_s + integrity.column(0).toString() + integrity.error();
    SqliteStatement isBank
        = db.prepare(u"SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'Questions'"_s);
    if (!isBank.step() || isBank.column(0).toInt() == 0)
        return {};
    QStringList wrong;
    for (int i = 0; i < 6; ++i)
        wrong << u"(Val%1 IS NOT NULL AND (typeof(Val%1) NOT IN ('integer', 'real') OR Val%1 <> CAST(Val%1 AS "
                 "INTEGER) OR Val%1 NOT BETWEEN -6 AND 6))"_s.arg(i);
    SqliteStatement points = db.prepare(
        u"SELECT Code, Numero, Val0, Val1, Val2, Val3, Val4, Val5 FROM Questions WHERE "_s + wrong.join(u" OR "_s));
    if (points.step()) {
        QStringList row;
        for (int c = 0; c < 8; ++c)
            row << points.column(c).toString();
        return u"points out of -6 to 6: "_s + row.join(u' ');
    }
    return points.error().isEmpty() ? QString() : points.error();
}

BankContent generatedBank(SoakRandom &random, int count)
{
    BankContent bank;
    for (int d = 1; d <= 8; ++d)
        bank.domains.append({QString::number(d), u"Domaine %1"_s.arg(d)});
    const QList<std::array<int, 4>> shapes{{6, 0, -2, -6}, {3, 3, 0, -1}, {2, 2, 2, -3}, {6, -1, 0, 0}};
    for (int n = 0; n < count; ++n) {
        Question q;
        q.code = QString::number(1 + n % 8);
        q.numero = 1 + n / 8;
        q.libelle = u"Question %1 : "_s.arg(n) + random.text().left(200);
        const auto &shape = random.pick(shapes);
        for (int k = 0; k < 4; ++k) {
            q.lib[size_t(k)] = u"Réponse %1"_s.arg(QChar(u'A' + k));
            q.val[size_t(k)] = shape[size_t(k)];
        }
        q.flags[size_t(random.below(6))] = 1;
        bank.questions.append(q);
    }
    return bank;
}

// The program, driven one random operation per turn of the event loop.
// An operation that opens a modal window (the editor, the reports) runs the
// next operations inside that window's loop, as a user's clicks would be.
class Session : public QObject {
public:
    Session(const SoakOptions &options, const QString &root, std::atomic<int> &heartbeat)
        : m_options(options), m_random(options.seed), m_program(QDir(root).filePath(u"programme"_s)),
          m_scratch(QDir(root).filePath(u"ailleurs"_s)), m_dialogs(m_random, m_program, m_scratch),
          m_heartbeat(heartbeat)
    {
    }
    ~Session() override { tearDown(); }

    QString prepare();
    // The operations; the failure of a check, or empty.
    QString run();
    // After the program is gone: what it left behind.
    QString finalChecks();
    const SoakDialogs &dialogs() const { return m_dialogs; }

private:
    void build();
    void tearDown();
    void step();
    void perform(int n);
    void finish(const QString &why);
    QString aliveFault() const;
    void keepAboutBoxAtHome();

    QList<QWidget *> clickable() const;
    QWidget *keyTarget() const;
    void log(int n, const QString &what) { say(u"op %1: %2"_s.arg(n).arg(what)); }
    void click(int n);
    void press(int n);
    void type(int n);
    void paste(int n);
    void closeWindow(int n);
    void resizeWindow(int n);
    void restart(int n);
    void pressKey(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text = {});

    SoakOptions m_options;
    SoakRandom m_random;
    QString m_program, m_scratch;
    SoakDialogs m_dialogs;
    std::atomic<int> &m_heartbeat;
    QStringList m_initialFiles;
    std::unique_ptr<QCMBas> m_state;
    std::unique_ptr<fQCM> m_runner;
    std::unique_ptr<AppWindows> m_windows;
    int m_done = 0;
    bool m_finished = false;
    QString m_failure;
    // For each operation under way, the modal window and the popup that were
    // open when it began.
    QList<QPair<QPointer<QWidget>, QPointer<QWidget>>> m_underWay;
};

QString Session::prepare()
{
    if (!QDir().mkpath(m_program) || !QDir().mkpath(m_scratch))
        return u"cannot make the folders"_s;
    BankContent bank;
    QString error;
    if (m_options.questions > 0) {
        bank = generatedBank(m_random, m_options.questions);
    } else {
        QFile text(QStringLiteral(QCM_SAMPLE_BANK_TEXT));
        if (!text.open(QIODevice::ReadOnly) || !parseBankText(QString::fromUtf8(text.readAll()), bank, &error))
            return u"sample bank: "_s + error;
    }
    const QString bankPath = QDir(m_program).filePath(u"VAR-irururiza.zov"_s);
    if (!writeBank(bankPath, bank, &error))
        return u"bank: "_s + error;
    for (const QString &layout : QDir(QStringLiteral(QCM_REPORT_LAYOUTS)).entryList({u"*.rpt"_s}, QDir::Files))
        if (!QFile::copy(QStringLiteral(QCM_REPORT_LAYOUTS) + u'/' + layout, QDir(m_program).filePath(layout)))
            return u"cannot copy "_s + layout;

    // What the open dialog may offer: a copy of the bank, a file that only
    // bears a bank's name, a database that is no bank.
    QFile::copy(bankPath, QDir(m_scratch).filePath(u"copie.zov"_s));
    QFile junk(QDir(m_scratch).filePath(u"pas une base.mdb"_s));
    if (!junk.open(QIODevice::WriteOnly) || junk.write("Ceci n'est pas une base.\r\n") < 0)
        return u"cannot write the scratch files"_s;
    junk.close();
    SqliteDb other;
    if (!other.open(QDir(m_scratch).filePath(u"autre.db"_s), SqliteDb::Mode::Create, &error)
        || !other.exec(u"CREATE TABLE Notes (texte TEXT); INSERT INTO Notes VALUES ('rien')"_s, &error))
        return u"other database: "_s + error;
    other.close();

    m_initialFiles = QDir(m_program).entryList(QDir::Files | QDir::Hidden | QDir::System);
    if (const QString fault = bankFault(bankPath); !fault.isEmpty())
        return u"the bank is wrong before any operation: "_s + fault;
    return {};
}

void Session::build()
{
    m_state = std::make_unique<QCMBas>(m_dialogs, m_program);
    m_state->readSettings();
    m_runner = std::make_unique<fQCM>(*m_state);
    m_windows = std::make_unique<AppWindows>(*m_state, *m_runner);
    m_runner->load();
    m_runner->resize(1366, 768);
    m_runner->show();
    m_runner->activateWindow();
}

void Session::tearDown()
{
    m_windows.reset();
    m_runner.reset();
    m_state.reset();
}

QString Session::run()
{
    build();
    QTimer::singleShot(0, this, &Session::step);
    QApplication::exec();
    return m_failure;
}

void Session::step()
{
    if (m_finished)
        return;
    if (!m_underWay.isEmpty()) {
        // A loop turned by an operation under way (a click lets events through):
        // only a modal window or a menu opened since runs operations of its own.
        QWidget *modal = QApplication::activeModalWidget(), *popup = QApplication::activePopupWidget();
        bool newModal = modal != nullptr, newPopup = popup != nullptr;
        for (const auto &[m, p] : std::as_const(m_underWay)) {
            newModal = newModal && m.data() != modal;
            newPopup = newPopup && p.data() != popup;
        }
        if (!newModal && !newPopup) {
            QTimer::singleShot(1, this, &Session::step);
            return;
        }
    }
    if (m_done >= m_options.operations) {
        finish({});
        return;
    }
    const int n = ++m_done;
    m_heartbeat = n;
    QTimer::singleShot(0, this, &Session::step);
    m_underWay.append(qMakePair(
        QPointer<QWidget>(QApplication::activeModalWidget()), QPointer<QWidget>(QApplication::activePopupWidget())));
    keepAboutBoxAtHome();
    perform(n);
    m_underWay.removeLast();
    if (!m_finished)
        if (const QString fault = aliveFault(); !fault.isEmpty())
            finish(u"after op %1: "_s.arg(n) + fault);
}

void Session::finish(const QString &why)
{
    if (m_finished)
        return;
    m_finished = true;
    m_failure = why;
    QCoreApplication::exit(why.isEmpty() ? 0 : 1);
}

// The program stands: its practice window shown, no box of the toolkit's
// own (every box goes through the dialog service), no pile of windows.
QString Session::aliveFault() const
{
    if (!m_runner || !m_runner->isVisible())
        return u"the practice window has gone"_s;
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops) {
        if (w->isVisible()
            && (qobject_cast<QFileDialog *>(w) || qobject_cast<QMessageBox *>(w) || qobject_cast<QInputDialog *>(w)
                || qobject_cast<QPrintDialog *>(w) || qobject_cast<QProgressDialog *>(w)))
            return u"a box outside the dialog service: "_s + describe(w);
    }
    if (tops.size() > 400)
        return u"%1 windows pile up"_s.arg(tops.size());
    return {};
}

// The about box's web link would start a browser: it goes nowhere here.
void Session::keepAboutBoxAtHome()
{
    if (frmAbout *about = m_runner ? m_runner->aboutBox() : nullptr) {
        about->setConnectionTest([] { return false; });
        about->setUrlOpener([](const QUrl &) { return false; });
    }
}

void Session::perform(int n)
{
    const double r = m_random.unit();
    if (r < 0.36)
        click(n);
    else if (r < 0.70)
        press(n);
    else if (r < 0.82)
        type(n);
    else if (r < 0.91)
        paste(n);
    else if (r < 0.955)
        closeWindow(n);
    else if (r < 0.97)
        resizeWindow(n);
    else if (r < 0.975)
        restart(n);
    else
        log(n, u"wait"_s);
}

// What a user could click: in the open menu or modal window if there is
// one, else in any window shown.
QList<QWidget *> Session::clickable() const
{
    QList<QWidget *> roots;
    if (QWidget *scope
        = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::activeModalWidget())
        roots << scope;
    else
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && !(w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip))
                roots << w;
    QList<QWidget *> all;
    for (QWidget *root : roots) {
        all << root;
        for (QWidget *w : root->findChildren<QWidget *>())
            if (w->isVisible() && w->isEnabled() && w->width() > 0 && w->height() > 0 && w->window() == root)
                all << w;
    }
    return all;
}

QWidget *Session::keyTarget() const
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup;
    if (QWidget *focus = QApplication::focusWidget())
        return focus;
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow() ? QApplication::activeWindow() : m_runner.get();
}

void Session::click(int n)
{
    const QList<QWidget *> targets = clickable();
    if (targets.isEmpty()) {
        log(n, u"click: nothing to click"_s);
        return;
    }
    QPointer<QWidget> w = m_random.pick(targets);
    const QPoint at(m_random.below(w->width()), m_random.below(w->height()));
    const double r = m_random.unit();
    const Qt::MouseButton button = r < 0.8 ? Qt::LeftButton : r < 0.92 ? Qt::RightButton : Qt::MiddleButton;
    const bool twice = m_random.chance(0.04);
    log(n,
        u"%1click %2 on %3 at %4,%5"_s.arg(twice ? u"double "_s : QString())
            .arg(button == Qt::LeftButton       ? u"left"_s
                    : button == Qt::RightButton ? u"right"_s
                                                : u"middle"_s)
            .arg(describe(w))
            .arg(at.x())
            .arg(at.y()));
    // Pressed and released apart: the press may close the window clicked.
    QTest::mousePress(w, button, {}, at);
    if (w)
        QTest::mouseRelease(w, button, {}, at);
    if (twice && w)
        QTest::mouseDClick(w, button, {}, at);
}

void Session::pressKey(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    QPointer<QWidget> w(target);
    QTest::sendKeyEvent(QTest::Press, w, key, text, modifiers);
    if (w)
        QTest::sendKeyEvent(QTest::Release, w, key, text, modifiers);
}

void Session::press(int n)
{
    struct Stroke {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *name;
    };
    static const QList<Stroke> strokes{{Qt::Key_Tab, {}, "Tab"}, {Qt::Key_Tab, {}, "Tab"},
        {Qt::Key_Backtab, Qt::ShiftModifier, "Shift+Tab"}, {Qt::Key_Return, {}, "Return"},
        {Qt::Key_Return, {}, "Return"}, {Qt::Key_Escape, {}, "Escape"}, {Qt::Key_Space, {}, "Space"},
        {Qt::Key_F1, {}, "F1"}, {Qt::Key_Menu, {}, "Menu"}, {Qt::Key_F10, Qt::ShiftModifier, "Shift+F10"},
        {Qt::Key_Up, {}, "Up"}, {Qt::Key_Down, {}, "Down"}, {Qt::Key_Down, {}, "Down"}, {Qt::Key_Left, {}, "Left"},
        {Qt::Key_Right, {}, "Right"}, {Qt::Key_PageDown, {}, "PageDown"}, {Qt::Key_Home, {}, "Home"},
        {Qt::Key_End, {}, "End"}, {Qt::Key_Backspace, {}, "Backspace"}, {Qt::Key_Delete, {}, "Delete"},
        {Qt::Key_A, Qt::ControlModifier, "Ctrl+A"}, {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z"},
        {Qt::Key_X, Qt::ControlModifier, "Ctrl+X"}, {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
        {Qt::Key_F4, Qt::AltModifier, "Alt+F4"}};
    QWidget *target = keyTarget();
    const double r = m_random.unit();
    if (r < 0.25) { // a digit: the choices' keys, and more
        const QChar digit(u'0' + m_random.below(10));
        log(n, u"key %1 to %2"_s.arg(digit).arg(describe(target)));
        pressKey(target, Qt::Key(Qt::Key_0 + digit.digitValue()), {}, digit);
    } else if (r < 0.45) { // Alt and a letter: the captions' shortcuts
        const int letter = m_random.below(26);
        log(n, u"key Alt+%1 to %2"_s.arg(QChar(u'A' + letter)).arg(describe(target)));
        pressKey(target, Qt::Key(Qt::Key_A + letter), Qt::AltModifier);
    } else {
        const Stroke &s = m_random.pick(strokes);
        log(n, u"key %1 to %2"_s.arg(QLatin1String(s.name)).arg(describe(target)));
        const QString text = s.key == Qt::Key_Return ? u"\r"_s
            : s.key == Qt::Key_Space                 ? u" "_s
            : s.key == Qt::Key_Tab                   ? u"\t"_s
                                                     : QString();
        pressKey(target, s.key, s.modifiers, text);
    }
}

void Session::type(int n)
{
    QPointer<QWidget> target = keyTarget();
    const QString text = m_random.text();
    if (text.size() > 60 && target->testAttribute(Qt::WA_InputMethodEnabled)) {
        // A long text comes in at once, as from an input method.
        log(n, u"input %1 to %2"_s.arg(shown(text)).arg(describe(target)));
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(target, &commit);
        return;
    }
    log(n, u"type %1 to %2"_s.arg(shown(text.left(60))).arg(describe(target)));
    for (const QChar c : text.left(60)) {
        if (!target)
            return;
        const Qt::Key key = c == u'\n'           ? Qt::Key_Return
            : c == u'\t'                         ? Qt::Key_Tab
            : c.isLetter() && c.unicode() < 0x80 ? Qt::Key(Qt::Key_A + (c.toUpper().unicode() - u'A'))
            : c.unicode() <= 0xff                ? Qt::Key(c.toUpper().unicode())
                                                 : Qt::Key_unknown;
        pressKey(target, key, c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, c == u'\n' ? u"\r"_s : QString(c));
    }
}

void Session::paste(int n)
{
    const bool empty = m_random.chance(0.5);
    if (empty)
        QGuiApplication::clipboard()->setMimeData(new QMimeData); // no format at all, as after a login
    else
        QGuiApplication::clipboard()->setText(m_random.text());
    QPointer<QWidget> target = keyTarget();
    const int door = m_random.below(3);
    log(n,
        u"paste (%1 clipboard) by %2 into %3"_s.arg(empty ? u"empty"_s : u"full"_s)
            .arg(door == 0      ? u"Ctrl+V"_s
                    : door == 1 ? u"Shift+Insert"_s
                                : u"middle click"_s)
            .arg(describe(target)));
    if (door == 0)
        pressKey(target, Qt::Key_V, Qt::ControlModifier);
    else if (door == 1)
        pressKey(target, Qt::Key_Insert, Qt::ShiftModifier);
    else if (QWidget *area = qobject_cast<QAbstractScrollArea *>(target)
            ? static_cast<QAbstractScrollArea *>(target.data())->viewport()
            : target.data()) {
        QTest::mouseClick(area, Qt::MiddleButton, {}, area->rect().center());
    }
}

void Session::closeWindow(int n)
{
    QWidget *w
        = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
    if (!w) {
        QList<QWidget *> shown;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->isVisible() && top != m_runner.get() && top->windowType() != Qt::ToolTip)
                shown << top;
        if (shown.isEmpty()) {
            log(n, u"close: no window but the practice window"_s);
            return;
        }
        w = m_random.pick(shown);
    }
    log(n, u"close %1"_s.arg(describe(w)));
    w->close();
}

void Session::resizeWindow(int n)
{
    QList<QWidget *> shown;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->windowType() != Qt::Popup && top->windowType() != Qt::ToolTip)
            shown << top;
    if (shown.isEmpty())
        return;
    QWidget *w = m_random.pick(shown);
    const QSize size(300 + m_random.below(1300), 200 + m_random.below(800));
    log(n, u"resize %1 to %2x%3"_s.arg(describe(w)).arg(size.width()).arg(size.height()));
    w->resize(size);
}

// The program ended and started again, when nothing is open over it.
void Session::restart(int n)
{
    if (m_underWay.size() != 1 || QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        log(n, u"restart: not now, a window is open"_s);
        return;
    }
    log(n, u"restart"_s);
    tearDown();
    build();
}

QString Session::finalChecks()
{
    tearDown();
    QStringList faults;
    QStringList banks{QDir(m_program).filePath(u"VAR-irururiza.zov"_s), QDir(m_program).filePath(u"qcm.mdb"_s)};
    for (const QString &name : QDir(m_scratch).entryList(QDir::Files))
        banks << QDir(m_scratch).filePath(name);
    for (const QString &path : std::as_const(banks))
        if (isSqliteFile(path))
            if (const QString fault = bankFault(path); !fault.isEmpty())
                faults << QFileInfo(path).fileName() + u": "_s + fault;
    // What the program keeps on purpose: settings, working copy, backups,
    // search indexes and results. Anything else (a temporary above all) is stray.
    const QStringList expected = m_initialFiles
        + QStringList{u"QCM.ini"_s, u"qcm.mdb"_s, u"Sauvegardes"_s, u"Recherche"_s, u"Résultats.sqlite"_s,
            u"Résultats.sqlite-wal"_s, u"Résultats.sqlite-shm"_s};
    for (const QString &name :
        QDir(m_program).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot))
        if (!expected.contains(name) && !name.endsWith(u".qcm-recherche"_s))
            faults << u"stray file in the program folder: "_s + name;
    return faults.join(u"; "_s);
}

} // namespace

int runSession(const SoakOptions &options)
{
    int argc = 1;
    char name[] = "soak";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    configureApplication();
    QTemporaryDir root;
    if (!root.isValid()) {
        say(u"FAIL no temporary folder"_s);
        return 1;
    }
    // A crash leaves the folder: whoever started the run removes it.
    say(u"folder "_s + root.path());
    say(u"seed %1, %2 operations, %3"_s.arg(options.seed)
            .arg(options.operations)
            .arg(options.questions > 0 ? u"%1 questions"_s.arg(options.questions) : u"the sample bank"_s));

    std::atomic<int> heartbeat{0};
    std::atomic<bool> over{false};
    std::thread watchdog([&] {
        int last = -1;
        auto since = std::chrono::steady_clock::now();
        while (!over) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (heartbeat != last) {
                last = heartbeat;
                since = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - since > std::chrono::seconds(60)) {
                std::fprintf(stdout, "FAIL hang: operation %d has run for a minute\n", last);
                std::fflush(stdout);
                std::_Exit(3);
            }
        }
    });

    QString failure;
    {
        Session session(options, root.path(), heartbeat);
        failure = session.prepare();
        if (failure.isEmpty())
            failure = session.run();
        if (failure.isEmpty())
            failure = session.finalChecks();
        say(u"shown: %1 boxes, %2 input boxes, %3 file dialogs"_s.arg(session.dialogs().boxes)
                .arg(session.dialogs().inputs)
                .arg(session.dialogs().fileDialogs));
    }
    over = true;
    watchdog.join();
    say(failure.isEmpty() ? u"ok"_s : u"FAIL "_s + failure);
    return failure.isEmpty() ? 0 : 1;
}

} // namespace qcm::soak
