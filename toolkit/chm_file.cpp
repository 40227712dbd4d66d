#include "chm_file.h"

#include <QFile>
#include <QFileInfo>
#include <chm_lib.h>

namespace {

// No page or picture of a help file comes near this; a larger size means a damaged file,
// and we would rather refuse it than allocate what it claims.
constexpr LONGUINT64 MaxObjectSize = 64 * 1024 * 1024;

// Code of the "default topic" record in the "/#SYSTEM" object written by help compilers.
constexpr quint16 SystemDefaultTopic = 2;

quint16 ReadUInt16(const QByteArray& bytes, qsizetype at) {
    return static_cast<quint16>(static_cast<uchar>(bytes[at]) | static_cast<uchar>(bytes[at + 1]) << 8);
}

int CollectPath(chmFile*, chmUnitInfo* unit, void* context) {
    const QString path = QString::fromUtf8(unit->path);
    if (!path.endsWith('/')) static_cast<QStringList*>(context)->append(path);
    return CHM_ENUMERATOR_CONTINUE;
}

} // namespace

std::unique_ptr<TChmFile> TChmFile::Open(const QString& path, QString* error) {
    if (!QFileInfo(path).isFile()) {
        if (error) *error = QStringLiteral("The help file %1 was not found.").arg(path);
        return nullptr;
    }
    chmFile* handle = chm_open(QFile::encodeName(path).constData());
    if (!handle) {
        if (error) *error = QStringLiteral("The help file %1 is damaged or is not a compiled help file.").arg(path);
        return nullptr;
    }
    return std::unique_ptr<TChmFile>(new TChmFile(handle));
}

TChmFile::~TChmFile() { chm_close(FHandle); }

std::optional<QByteArray> TChmFile::Read(const QString& path) const {
    chmUnitInfo unit{};
    const QByteArray name = path.toUtf8();
    if (chm_resolve_object(FHandle, name.constData(), &unit) != CHM_RESOLVE_SUCCESS) return std::nullopt;
    if (unit.length > MaxObjectSize) return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(unit.length), Qt::Uninitialized);
    const LONGINT64 got = chm_retrieve_object(FHandle, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                              static_cast<LONGINT64>(unit.length));
    if (got != static_cast<LONGINT64>(unit.length)) return std::nullopt;
    return bytes;
}

QStringList TChmFile::Paths() const {
    QStringList paths;
    chm_enumerate(FHandle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, CollectPath, &paths);
    return paths;
}

QString TChmFile::DefaultTopic() const {
    // "/#SYSTEM": a 4-byte version, then records of a 16-bit code, a 16-bit length and data.
    const QByteArray system = Read(QStringLiteral("/#SYSTEM")).value_or(QByteArray());
    for (qsizetype at = 4; at + 4 <= system.size();) {
        const quint16 code = ReadUInt16(system, at);
        const quint16 length = ReadUInt16(system, at + 2);
        at += 4;
        if (at + length > system.size()) break;
        if (code == SystemDefaultTopic) {
            const QString topic = QString::fromUtf8(system.mid(at, length)).section(QChar(0), 0, 0);
            if (!topic.isEmpty()) return topic.startsWith('/') ? topic : '/' + topic;
        }
        at += length;
    }
    return QStringLiteral("/index.html");
}
