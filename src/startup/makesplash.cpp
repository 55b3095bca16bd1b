// Renders the splash picture from its drawing: qcm-makesplash SOURCE.svg TARGET.BMP
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: qcm-makesplash SOURCE.svg TARGET.BMP\n";
        return 2;
    }
    QSvgRenderer svg(args.at(1));
    if (!svg.isValid()) {
        err << "cannot read " << args.at(1) << "\n";
        return 1;
    }
    QImage image(svg.defaultSize(), QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    svg.render(&painter);
    painter.end();
    if (!image.save(args.at(2), "BMP")) {
        err << "cannot write " << args.at(2) << "\n";
        return 1;
    }
    return 0;
}
