#include "picture_loaders.h"

#include "bitmap_image.h"
#include "image_error.h"
#include "picture_file.h"

#include <QImageReader>

std::vector<std::string> RegisterPlatformPictureLoaders() {
    std::vector<std::string> registered;
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    for (const char* format : {"bmp", "ico", "emf", "wmf"}) {
        if (!readable.contains(format)) continue;
        RegisterPictureLoader(format, [format](const std::string& fileName) {
            QImageReader reader(QString::fromStdString(fileName), format);
            const QImage image = reader.read();
            if (image.isNull())
                throw EImageError("Cannot read picture file \"" + fileName + "\": " + reader.errorString().toStdString());
            return BitmapFromImage(image);
        });
        registered.push_back(format);
    }
    return registered;
}
