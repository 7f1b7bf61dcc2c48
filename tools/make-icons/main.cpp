// Writes programIcon() as PNG files in the freedesktop icon-theme layout:
//   varnok-make-icons OUTDIR SIZE...  ->  OUTDIR/<SIZE>x<SIZE>/apps/varnokterm.png

#include "ui/program_icon.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Painting into an image needs no display, nor an application object.
    QCoreApplication app(argc, argv);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: varnok-make-icons OUTDIR SIZE...\n");
        return 2;
    }
    const QString outDir = arguments.at(1);
    const QIcon icon = programIcon();
    for (const QString &sizeText : arguments.mid(2)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            std::fprintf(stderr, "varnok-make-icons: bad size \"%s\"\n", qPrintable(sizeText));
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "varnok-make-icons: cannot make %s\n", qPrintable(dir));
            return 1;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            icon.paint(&painter, image.rect());
        }
        const QString file = dir + QStringLiteral("/varnokterm.png");
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "varnok-make-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
