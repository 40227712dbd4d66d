#include "prefs.h"

#include "file_names.h"

#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace {

const QString kPrefs = QStringLiteral("Prefs/");
const QString kMainWindow = QStringLiteral("Window/MainWindow/");
const QString kToolbars = QStringLiteral("Window/MainWindow/Toolbars/");

std::string ReadText(QSettings& settings, const QString& key) {
    return settings.value(key).toString().toStdString();
}

int32_t ReadInt(QSettings& settings, const QString& key, int32_t fallback) {
    const QVariant value = settings.value(key);
    return value.isValid() ? ParseSettingInt(value.toString().toStdString(), fallback) : fallback;
}

// "Filenum" holds the last number used in an image name; the next name adds one to it. A
// value below 0 or at the top of the range cannot be counted on from, so it reads as
// malformed.
int32_t ReadImageCounter(QSettings& settings) {
    const int32_t value = ReadInt(settings, kPrefs + "Filenum", 0);
    return value >= 0 && value < std::numeric_limits<int32_t>::max() ? value : 0;
}

void WriteText(QSettings& settings, const QString& key, const std::string& text) {
    settings.setValue(key, QString::fromStdString(text));
}

// Numbers of the settings object are stored as decimal text.
void WriteIntText(QSettings& settings, const QString& key, int32_t value) {
    settings.setValue(key, QString::number(value));
}

TToolbarState ReadToolbar(QSettings& settings, const QString& name) {
    const QString key = kToolbars + name + '/';
    TToolbarState state;
    state.Visible = ReadInt(settings, key + "Visible", 1) != 0;
    state.Left = ReadInt(settings, key + "Left", -1);
    state.Top = ReadInt(settings, key + "Top", -1);
    return state;
}

void WriteToolbar(QSettings& settings, const QString& name, const TToolbarState& state) {
    const QString key = kToolbars + name + '/';
    WriteIntText(settings, key + "Visible", state.Visible ? 1 : 0);
    WriteIntText(settings, key + "Left", state.Left);
    WriteIntText(settings, key + "Top", state.Top);
}

std::string FormatLocalTime(std::time_t when, const char* format) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

} // namespace

std::unique_ptr<QSettings> OpenSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Fotolark"), QStringLiteral("Fotolark"));
}

int32_t ParseSettingInt(const std::string& text, int32_t fallback) {
    int32_t value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return (error == std::errc() && end == last && first != last) ? value : fallback;
}

TPrefs::TPrefs() {
    auto settings = OpenSettings();
    CDWriter = ReadText(*settings, kPrefs + "CD-R/RW");
    Scansource = ReadText(*settings, kPrefs + "Scansource");
    BaseDir = ReadText(*settings, kPrefs + "BaseDir");
    Quality = ReadInt(*settings, kPrefs + "Quality", 100);
    Filenum = ReadImageCounter(*settings);
    LastScan = ReadText(*settings, kPrefs + "LastScan");
    WebIndex = ReadInt(*settings, kPrefs + "WebIndex", 1) != 0;
    AlbumWidth = ReadInt(*settings, kMainWindow + "AlbumWidth", 185);
    ImgState = ReadInt(*settings, kMainWindow + "ImgState", 0);
    FileTools = ReadToolbar(*settings, "FileTools");
    SizeTools = ReadToolbar(*settings, "SizeTools");
    ModTools = ReadToolbar(*settings, "ModTools");
}

void TPrefs::Save() const {
    auto settings = OpenSettings();
    WriteText(*settings, kPrefs + "CD-R/RW", CDWriter);
    WriteText(*settings, kPrefs + "WriteSpeed", WriteSpeed);
    WriteText(*settings, kPrefs + "Scansource", Scansource);
    WriteText(*settings, kPrefs + "BaseDir", BaseDir);
    WriteIntText(*settings, kPrefs + "Quality", Quality);
    WriteIntText(*settings, kPrefs + "Filenum", Filenum);
    WriteText(*settings, kPrefs + "LastScan", LastScan);
    WriteIntText(*settings, kPrefs + "WebIndex", WebIndex ? 1 : 0);
    WriteIntText(*settings, kMainWindow + "AlbumWidth", AlbumWidth);
    WriteIntText(*settings, kMainWindow + "ImgState", ImgState);
    WriteToolbar(*settings, "FileTools", FileTools);
    WriteToolbar(*settings, "SizeTools", SizeTools);
    WriteToolbar(*settings, "ModTools", ModTools);
    settings->sync();
}

int32_t ReadFileNum() {
    return ReadImageCounter(*OpenSettings());
}

void WriteFileNum(int32_t value) {
    WriteIntText(*OpenSettings(), kPrefs + "Filenum", value);
}

bool ReadVerifySetting() {
    return ReadInt(*OpenSettings(), kPrefs + "Verify", 1) != 0;
}

void WriteVerifySetting(bool verify) {
    WriteIntText(*OpenSettings(), kPrefs + "Verify", verify ? 1 : 0);
}

std::string ReadLastScan() {
    return ReadText(*OpenSettings(), kPrefs + "LastScan");
}

void WriteLastScan(const std::string& value) {
    WriteText(*OpenSettings(), kPrefs + "LastScan", value);
}

std::string NextImageName(const std::string& imageDir) {
    return NextImageNameOn(imageDir, FormatLocalTime(std::time(nullptr), "%Y%m%d"));
}

std::string NextImageNameOn(const std::string& imageDir, const std::string& today) {
    int32_t number = ReadFileNum();
    const std::string last = ReadLastScan();
    number = (last.empty() || last != today) ? 0 : number + 1;
    const TNamesInFolder taken(imageDir);
    std::string path;
    // Taken names are skipped; past the last number the count goes on from 0.
    for (;; number = number < std::numeric_limits<int32_t>::max() ? number + 1 : 0) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%5.5d.jpg", today.c_str(), number);
        path = WithTrailingSlash(imageDir) + name;
        if (!taken.IsTaken(name)) break;
    }
    WriteLastScan(today);
    WriteFileNum(number);
    return path;
}

std::string NewAlbumName(const std::string& albumDir, const std::vector<std::string>& namesInUse,
                         std::time_t now) {
    for (;; ++now) {
        const std::string name = FormatLocalTime(now, "%Y%m%d%H%M%S") + ".alb";
        const bool inTree = std::find(namesInUse.begin(), namesInUse.end(), name) != namesInUse.end();
        if (!inTree && !FileExists(WithTrailingSlash(albumDir) + name)) return name;
    }
}

std::string DefaultBaseFolder() {
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty()) pictures = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    return WithTrailingSlash(pictures.toStdString()) + "Fotolark/";
}

std::string BaseFolder(const std::string& baseDir) {
    return baseDir.empty() ? DefaultBaseFolder() : WithTrailingSlash(baseDir);
}

TStorageFolders StorageFolders(const std::string& baseFolder) {
    TStorageFolders folders;
    folders.AlbumDir = WithTrailingSlash(baseFolder) + "Albums/";
    folders.ImageDir = WithTrailingSlash(baseFolder) + "Images/";
    folders.ThumbDir = folders.AlbumDir + "Thumbs/";
    return folders;
}

void CreateStorageFolders(const TStorageFolders& folders) {
    for (const std::string* folder : {&folders.AlbumDir, &folders.ImageDir, &folders.ThumbDir}) {
        std::error_code ignored;
        std::filesystem::create_directories(*folder, ignored);
    }
}

void CompleteSettings(const std::function<std::string()>& firstCdWriter,
                      const std::function<std::string()>& firstScanSource) {
    TPrefs prefs;
    if (prefs.BaseDir.empty()) prefs.BaseDir = DefaultBaseFolder();
    if (prefs.CDWriter.empty() && firstCdWriter) prefs.CDWriter = firstCdWriter();
    if (prefs.Scansource.empty() && firstScanSource) prefs.Scansource = firstScanSource();
    prefs.Save();
}
