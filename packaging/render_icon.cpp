// render_icon: a build tool that draws the program's SVG icon into square PNG files, one per size,
// for the icon theme folders.

#include <cstdlib>
#include <iostream>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::cerr << "usage: render_icon ICON.svg OUTPUT_FOLDER SIZE...\n";
        return 2;
    }
    // Drawing needs no display: the tool runs on build machines without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::cerr << "render_icon: cannot read " << argv[1] << '\n';
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString path = QStringLiteral("%1/%2x%2.png").arg(folder).arg(size);
        if (size <= 0) {
            std::cerr << "render_icon: not a size: " << argv[i] << '\n';
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        if (!image.save(path)) {
            std::cerr << "render_icon: cannot write " << path.toStdString() << '\n';
            return 2;
        }
    }
    return 0;
}
