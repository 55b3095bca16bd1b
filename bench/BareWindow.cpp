// The yardstick of the start-up benchmark: a bare full-screen Qt window with
// one line of text, ended as soon as that text is painted, or kept open when
// QCM_BENCH_STAY is set (for its memory).
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class PaintWatch : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *text = new QLabel(QStringLiteral("Question n° 1 sur 20000"), &window);
    layout->addWidget(text);
    PaintWatch watch;
    if (qEnvironmentVariableIsEmpty("QCM_BENCH_STAY"))
        text->installEventFilter(&watch);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    return QApplication::exec();
}
