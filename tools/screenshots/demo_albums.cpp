#include "demo_albums.h"

#include "album_records.h"
#include "bitmap_image.h"
#include "file_names.h"
#include "jpeg_io.h"
#include "prefs.h"
#include "thumbnailer.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <vector>

namespace {

struct TScene {
    const char* Caption;
    const char* Note;
    QColor SkyTop, SkyBottom, Sun, Far, Near;
    double SunX, SunY, Horizon;
};

struct TDemoAlbum {
    const char* Title;
    std::vector<TScene> Scenes;
};

// A landscape: a sky fading to the horizon, a sun, and two rows of rolling hills.
QImage Paint(const TScene& scene) {
    constexpr int width = 1024, height = 768;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height * scene.Horizon);
    sky.setColorAt(0, scene.SkyTop);
    sky.setColorAt(1, scene.SkyBottom);
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(scene.Sun);
    painter.drawEllipse(QPointF(width * scene.SunX, height * scene.SunY), 60, 60);
    const auto hills = [&](double base, double amplitude, double phase, const QColor& colour) {
        QPainterPath path(QPointF(0, height));
        for (int x = 0; x <= width; x += 16)
            path.lineTo(x, height * base - amplitude * std::sin(x / 150.0 + phase) - amplitude / 2 * std::sin(x / 47.0));
        path.lineTo(width, height);
        painter.fillPath(path, colour);
    };
    hills(scene.Horizon, 40, scene.SunX * 6, scene.Far);
    hills(scene.Horizon + 0.18, 55, scene.SunY * 9, scene.Near);
    return image;
}

const std::vector<TDemoAlbum>& DemoAlbums() {
    static const std::vector<TDemoAlbum> albums = {
        {"Summer by the sea",
         {{"Morning on the beach", "The first swim before breakfast.", {90, 150, 230}, {250, 210, 170}, {255, 240, 180}, {60, 120, 190}, {230, 200, 140}, 0.25, 0.3, 0.55},
          {"Harbour at noon", "Fishing boats back with the tide.", {40, 110, 220}, {170, 210, 250}, {255, 255, 220}, {40, 90, 170}, {120, 110, 100}, 0.6, 0.15, 0.6},
          {"Dunes", "", {120, 170, 240}, {240, 230, 200}, {255, 250, 210}, {210, 190, 130}, {190, 160, 100}, 0.8, 0.2, 0.58},
          {"Sunset from the pier", "Last evening of the holiday.", {60, 40, 110}, {250, 140, 70}, {255, 200, 90}, {40, 60, 120}, {30, 30, 50}, 0.5, 0.5, 0.62}}},
        {"Mountain walk",
         {{"Valley view", "Two hours up from the village.", {80, 140, 220}, {200, 225, 245}, {255, 250, 230}, {110, 130, 150}, {70, 120, 60}, 0.2, 0.2, 0.5},
          {"Summit", "Clouds below us.", {30, 80, 180}, {180, 210, 240}, {255, 255, 240}, {200, 205, 215}, {120, 110, 100}, 0.7, 0.25, 0.45},
          {"Way down", "", {100, 150, 210}, {240, 200, 160}, {255, 220, 150}, {90, 110, 80}, {50, 90, 40}, 0.85, 0.4, 0.55}}},
        {"Garden",
         {{"Spring", "The apple tree in bloom.", {130, 180, 240}, {220, 240, 250}, {255, 250, 220}, {120, 180, 90}, {80, 150, 60}, 0.3, 0.22, 0.6},
          {"Autumn", "", {110, 140, 190}, {230, 210, 180}, {250, 220, 170}, {190, 120, 50}, {140, 80, 30}, 0.65, 0.3, 0.6}}},
    };
    return albums;
}

} // namespace

void WriteDemoAlbums(const std::string& baseFolder) {
    const TStorageFolders folders = StorageFolders(baseFolder);
    CreateStorageFolders(folders);
    std::vector<std::string> albumFiles;
    int position = 0;
    for (const TDemoAlbum& demo : DemoAlbums()) {
        TAlbum album;
        album.Title = demo.Title;
        album.Position = position++;
        album.AlbumFile = NewAlbumName(folders.AlbumDir, albumFiles);
        albumFiles.push_back(album.AlbumFile);
        for (const TScene& scene : demo.Scenes) {
            const TBitmap32 picture = BitmapFromImage(Paint(scene));
            const std::string imageFile = NextImageName(folders.ImageDir);
            auto* photo = new TPhoto;
            photo->FileName = FileNamePart(imageFile);
            photo->Caption = scene.Caption;
            if (*scene.Note) photo->SetNotes({scene.Note});
            photo->ImageSize = static_cast<int32_t>(WriteJpegFile(picture, imageFile, 85));
            photo->ThumbSize = static_cast<int32_t>(WriteThumbnailFile(picture, folders.ThumbDir + photo->FileName));
            album.AddPhoto(photo);
        }
        album.SaveToFile(folders.AlbumDir + album.AlbumFile);
    }
}
