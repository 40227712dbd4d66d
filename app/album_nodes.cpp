#include "album_nodes.h"

#include <QStringDecoder>

TAlbumNode::TAlbumNode(std::unique_ptr<TAlbum> album)
    : QTreeWidgetItem(ntAlbum), FAlbum(std::move(album)) {
    setText(0, ToDisplay(FAlbum->Title));
    setFlags(flags() | Qt::ItemIsEditable);  // albums are renamed in place, photos are not
}

TPhotoNode::TPhotoNode(std::unique_ptr<TPhoto> photo)
    : QTreeWidgetItem(ntPhoto), FPhoto(std::move(photo)) {
    setText(0, ToDisplay(FPhoto->Caption));
}

TAlbumNode* AsAlbumNode(QTreeWidgetItem* item) {
    return item && item->type() == ntAlbum ? static_cast<TAlbumNode*>(item) : nullptr;
}

TPhotoNode* AsPhotoNode(QTreeWidgetItem* item) {
    return item && item->type() == ntPhoto ? static_cast<TPhotoNode*>(item) : nullptr;
}

namespace {

// The 32 characters Windows-1252 places at 80h to 9Fh; the rest of the page is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString ToDisplay(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return text;
    text.clear();
    for (unsigned char c : bytes)
        text += (c >= 0x80 && c < 0xA0) ? QChar(kCp1252High[c - 0x80]) : QChar(c);
    return text;
}

std::string FromDisplay(const QString& text) {
    return text.toStdString();
}
