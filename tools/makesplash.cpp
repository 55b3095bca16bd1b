// Renders a drawing to a picture at build time:
//   qcm-makesplash SOURCE.svg TARGET.BMP         the splash, at its own size, on white
//   qcm-makesplash SOURCE.svg TARGET.png SIZE    a square icon, on a transparent ground
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
    bool sizeOk = true;
    const int size = args.size() == 4 ? args.at(3).toInt(&sizeOk) : 0;
    if ((args.size() != 3 && args.size() != 4) || !sizeOk || (args.size() == 4 && (size < 1 || size > 4096))) {
        err << "usage: qcm-makesplash SOURCE.svg TARGET.BMP | qcm-makesplash SOURCE.svg TARGET.png SIZE\n";
        return 2;
    }
    QSvgRenderer svg(args.at(1));
    if (!svg.isValid()) {
        err << "cannot read " << args.at(1) << "\n";
        return 1;
    }
    const bool icon = size > 0;
    QImage image(icon ? QSize(size, size) : svg.defaultSize(),
        icon ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB888);
    image.fill(icon ? Qt::transparent : Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    svg.render(&painter, QRectF(QPointF(0, 0), image.size()));
    painter.end();
    if (!image.save(args.at(2), icon ? "PNG" : "BMP")) {
        err << "cannot write " << args.at(2) << "\n";
        return 1;
    }
    return 0;
}
