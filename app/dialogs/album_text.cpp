#include "album_text.h"

#include "album_nodes.h"
#include "file_names.h"

#include <QFile>
#include <QStringList>

std::string EditedText(const QString& text, const std::string& original) {
    return text == ToDisplay(original) ? original : FromDisplay(text);
}

QString NotesToText(const std::vector<std::string>& lines) {
    QStringList rows;
    for (const std::string& line : lines) rows << ToDisplay(line);
    return rows.join('\n');
}

std::vector<std::string> TextToNotes(const QString& text, const std::vector<std::string>& original) {
    if (text.isEmpty()) return {};
    QStringList rows = text.split('\n');
    if (rows.size() > 1 && rows.last().isEmpty()) rows.removeLast();
    std::vector<std::string> lines;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const size_t index = static_cast<size_t>(i);
        lines.push_back(index < original.size() ? EditedText(rows[i], original[index]) : FromDisplay(rows[i]));
    }
    return lines;
}

QString PathToDisplay(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PhotoFilePath(const std::string& folder, const std::string& fileName) {
    return StoredFilePath(folder, fileName);
}
