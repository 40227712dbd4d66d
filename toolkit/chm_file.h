// Read access to a compiled help file (".chm") through chmlib.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct chmFile;

class TChmFile {
public:
    // Opens `path`; on failure returns nothing and, when asked, a message naming the file.
    static std::unique_ptr<TChmFile> Open(const QString& path, QString* error = nullptr);
    ~TChmFile();
    TChmFile(const TChmFile&) = delete;
    TChmFile& operator=(const TChmFile&) = delete;

    // The bytes of the object at `path` inside the file ("/index.html"); nothing when the
    // object is missing or cannot be read completely.
    std::optional<QByteArray> Read(const QString& path) const;
    // Every page, picture and style sheet in the file, as paths beginning with '/'.
    QStringList Paths() const;
    // The page the help opens with, as set when the file was compiled ("/index.html" when
    // the file does not say).
    QString DefaultTopic() const;

private:
    explicit TChmFile(chmFile* handle) : FHandle(handle) {}
    chmFile* FHandle;
};
