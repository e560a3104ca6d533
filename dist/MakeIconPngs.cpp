// Build-time tool: writes the program's icon (a 48 x 48 XPM) as square PNG
// files of the sizes given, one per size, for the icon theme.
// Usage: MakeIconPngs ICON.xpm OUTPUT_DIR SIZE...   (OUTPUT_DIR/SIZE.png)
// The pixel art is first enlarged by whole pixels (each pixel an n x n
// block) to at least the size asked for, then smoothly scaled down to it,
// so large icons keep sharp edges and small ones stay clean.
#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {

QImage IconOfSize(const QImage& icon, int size)
{
    const int factor = (size + icon.width() - 1) / icon.width();
    QImage image = icon;
    if (factor > 1)
        image = icon.scaled(icon.width() * factor, icon.height() * factor, Qt::IgnoreAspectRatio,
                            Qt::FastTransformation);
    if (image.width() != size)
        image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: MakeIconPngs ICON.xpm OUTPUT_DIR SIZE...\n");
        return 2;
    }
    QImage icon(QString::fromLocal8Bit(argv[1]), "XPM");
    if (icon.isNull() || icon.width() != icon.height()) {
        std::fprintf(stderr, "MakeIconPngs: %s is not a square XPM picture\n", argv[1]);
        return 1;
    }
    icon = icon.convertToFormat(QImage::Format_ARGB32);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString path = out.filePath(QString::number(size) + QStringLiteral(".png"));
        if (size < 1 || !IconOfSize(icon, size).save(path, "PNG")) {
            std::fprintf(stderr, "MakeIconPngs: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
