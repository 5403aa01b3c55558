// Writes the program's icon as PNG files, one per size, for installing
// into the desktop's icon theme: morvane-icons OUTDIR makes
// OUTDIR/<size>x<size>/apps/morvane.png.
#include "Artwork.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: morvane-icons OUTDIR\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const int size : morvane::artwork::kIconSizes) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = out.filePath(folder + QStringLiteral("/morvane.png"));
        if (!out.mkpath(folder) || !morvane::artwork::programIcon(size).save(file)) {
            std::fprintf(stderr, "morvane-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
