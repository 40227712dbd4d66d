// Settings kept in the user's settings file, the storage folders and the naming of new files.
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSettings;

// The settings file: $XDG_CONFIG_HOME/Fotolark/Fotolark.ini.
std::unique_ptr<QSettings> OpenSettings();

struct TToolbarState {
    bool Visible = true;
    int32_t Left = -1;  // negative: the tool bar keeps its designed place
    int32_t Top = -1;
};

// A snapshot of every setting. Construction reads them all, with defaults for missing or
// malformed values; Save writes them all. Never keep one across a NextImageName call:
// saving it afterwards would set the image counter back.
class TPrefs {
public:
    std::string CDWriter;    // "CD-R/RW": drive letter and colon of the chosen recorder
    std::string WriteSpeed;  // always written empty; nothing reads it
    std::string Scansource;
    std::string BaseDir;
    int32_t Quality = 100;
    int32_t Filenum = 0;
    std::string LastScan;
    bool WebIndex = true;  // "WebIndex": web pages of the albums on every disc
    TToolbarState FileTools;
    TToolbarState SizeTools;
    TToolbarState ModTools;
    int32_t AlbumWidth = 185;
    int32_t ImgState = 0;

    TPrefs();
    void Save() const;
};

// Strict decimal parse of a stored number; anything else gives `fallback`.
int32_t ParseSettingInt(const std::string& text, int32_t fallback);

int32_t ReadFileNum();
void WriteFileNum(int32_t value);

// Whether disc jobs read back and compare what they wrote (Prefs value "Verify", 1 or 0;
// on when missing).
bool ReadVerifySetting();
void WriteVerifySetting(bool verify);
std::string ReadLastScan();
void WriteLastScan(const std::string& value);

// Full path of a new image file in `imageDir` ("yyyymmdd" + five-digit daily counter + ".jpg");
// advances the stored counter, skipping numbers whose file already exists.
std::string NextImageName(const std::string& imageDir);
std::string NextImageNameOn(const std::string& imageDir, const std::string& today);

// A new album file name "yyyymmddhhnnss.alb" that neither exists in `albumDir` nor is in
// `namesInUse`; a taken name moves on to the next second.
std::string NewAlbumName(const std::string& albumDir, const std::vector<std::string>& namesInUse,
                         std::time_t now = std::time(nullptr));

// The user's pictures folder + "Fotolark/".
std::string DefaultBaseFolder();
// "BaseDir" with a trailing '/', or the default base folder when it is empty.
std::string BaseFolder(const std::string& baseDir);

struct TStorageFolders {
    std::string AlbumDir;  // base + "Albums/"
    std::string ImageDir;  // base + "Images/"
    std::string ThumbDir;  // album folder + "Thumbs/"
};
TStorageFolders StorageFolders(const std::string& baseFolder);
// Creates the three folders with their parents; failures are silent.
void CreateStorageFolders(const TStorageFolders& folders);

// Fills settings still empty on the first start and saves them all. The callbacks name the
// first CD writer's drive ("D:") and the first scanner source; each may return "".
void CompleteSettings(const std::function<std::string()>& firstCdWriter,
                      const std::function<std::string()>& firstScanSource);
