#include "builtinimages.h"

#include <QIcon>
#include <QImageReader>
#include <QPixmap>

namespace linkwell {

namespace {

// Both images are ours and their formats known. A reader left to find the
// format asks every installed image plugin first, and loading those (with
// the libraries they pull in) cost more at start-up than decoding the images;
// fixed to the format, it goes straight to Qt's own PNG and BMP readers.
QPixmap builtInImage(const char* path, const char* format)
{
    QImageReader reader(QString::fromLatin1(path), format);
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace

QIcon programIcon()
{
    return QIcon(builtInImage(":/linkwell.png", "png"));
}

QPixmap bannerImage()
{
    return builtInImage(":/JMENO", "bmp");
}

} // namespace linkwell
