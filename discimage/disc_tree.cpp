// The disc file tree: directories and entries with their ISO 9660 and Joliet names.
#include "date_time.h"
#include "disc_tables.h"
#include "joliet_text.h"
#include "mcdburner.h"
#include "short_names.h"

#include "file_names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_map>

std::vector<TDEntry*> DirList;
std::vector<TDEntry*> IsoPathOrder;
std::vector<TDEntry*> JolietPathOrder;
std::vector<TFEntry*> FileList;
int32_t DirCount = 0;
int32_t FileCount = 0;
int32_t MaxDirs = 0;
int32_t MaxFiles = 0;
int8_t GmtOffset = 0;

namespace {

constexpr int32_t kDefaultMaxFiles = 65535;
constexpr int32_t kDefaultMaxDirs = 8191;
constexpr int64_t kLargestFile = 0xFFFFFFFFLL;  // a directory record holds 32-bit sizes
// A directory record's length is one byte: 33 fixed bytes, the identifier and a pad byte.
constexpr size_t kLongestIdentifier = 221;
// Long names of this many characters or more are skipped unless OnAddFile says otherwise.
constexpr size_t kSkippedNameLength = 128;

// Lookups that would otherwise walk the tables: directories by PathKey, entries by their
// upper-cased long name, and the short names in use per directory.
struct TTreeIndex {
    std::unordered_map<std::string, TDEntry*> Dirs;
    std::unordered_map<const TDEntry*, std::unordered_map<std::string, TFEntry*>> Children;
    TShortNameRegistry ShortNames;

    void Clear() {
        Dirs.clear();
        Children.clear();
        ShortNames.Clear();
    }
};
TTreeIndex Index;
std::vector<TLeftOutFile> LeftOut;

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string ComputePathKey(const TDEntry* dir) {
    std::string key = "\\";
    for (const TDEntry* level = dir; level->ParentDir != level; level = level->ParentDir)
        key = "\\" + level->LongName + key;
    key.pop_back();
    return UpperAscii(key);
}

// The key under which a directory's entries are looked up: the name as Joliet writes it, with
// ASCII letters folded, so that two names a reader could not tell apart share a key.
std::string NameKey(const std::string& longName) {
    std::string key;
    AppendJolietBytes(key, longName);
    // Big-endian units: a letter a-z is the byte pair 00 61..7A.
    for (size_t i = 0; i + 1 < key.size(); i += 2)
        if (key[i] == 0 && key[i + 1] >= 'a' && key[i + 1] <= 'z') key[i + 1] = static_cast<char>(key[i + 1] - 'a' + 'A');
    return key;
}

// "\Images\name": the path of a file `name` in `dir`, with the names' own letter case.
std::string DiscPathOf(const TDEntry* dir, const std::string& name) {
    std::string path = "\\" + name;
    for (const TDEntry* level = dir; level->ParentDir != level; level = level->ParentDir)
        path = "\\" + level->LongName + path;
    return path;
}

void NoteLeftOut(const TDEntry* dir, const std::string& name, const std::string& sourcePath,
                 TLeftOutReason reason, const std::string& takenBy = {}) {
    TLeftOutFile file{sourcePath, DiscPathOf(dir, name), reason, takenBy};
    const bool listed = std::any_of(LeftOut.begin(), LeftOut.end(), [&](const TLeftOutFile& other) {
        return other.SourcePath == file.SourcePath && other.DiscPath == file.DiscPath;
    });
    if (!listed) LeftOut.push_back(std::move(file));
}

bool IsReadable(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
}

void AppendEntry(TDEntry* dir, TFEntry* entry) {
    if (dir->LastChild) dir->LastChild->Next = entry;
    else dir->FirstChild = entry;
    dir->LastChild = entry;
}

TFEntry* FindChild(const TDEntry* dir, const std::string& longName) {
    const auto children = Index.Children.find(dir);
    if (children == Index.Children.end()) return nullptr;
    const auto entry = children->second.find(NameKey(longName));
    return entry == children->second.end() ? nullptr : entry->second;
}

// Both identifiers, with ";1" for a file, must fit into a directory record of at most 255 bytes.
bool FitsRecord(const std::string& shortName, const std::string& longName, bool isFile) {
    const size_t version = isFile ? 2 : 0;
    return shortName.size() + version <= kLongestIdentifier &&
           2 * (JolietLength(longName) + version) <= kLongestIdentifier - 1;
}

TDateTime NowAsFileDate() {
    return FileDateTime(std::time(nullptr));
}

// "\folder\" for a local file /folder/file: the folder on the local disk as a disc path.
std::string DiscFolderOf(const std::string& filePath) {
    std::string folder = FolderPart(filePath);
    for (char& c : folder)
        if (c == '/') c = '\\';
    return folder;
}

} // namespace

TDEntry* TMCDBurner::RootDir() const {
    return DirCount > 0 ? DirList[0] : nullptr;
}

void TMCDBurner::EmptyTree() {
    for (int32_t i = 0; i < DirCount; ++i) delete DirList[i];
    for (int32_t i = 0; i < FileCount; ++i) delete FileList[i];
    DirCount = 0;
    FileCount = 0;
    Index.Clear();
    LeftOut.clear();
}

const std::vector<TLeftOutFile>& TMCDBurner::LeftOutFiles() const {
    return LeftOut;
}

bool TMCDBurner::WasLeftOut(const std::string& DiscPath) const {
    return std::any_of(LeftOut.begin(), LeftOut.end(),
                       [&](const TLeftOutFile& file) { return file.DiscPath == DiscPath; });
}

bool TMCDBurner::ResetTree(int32_t AMaxFiles, int32_t AMaxDirs) {
    GmtOffset = static_cast<int8_t>(StandardTimeQuarterHours());
    FHeaderStream.clear();
    EmptyTree();
    MaxDirs = AMaxDirs < 1 ? 1 : AMaxDirs;  // the root always needs its slot
    MaxFiles = AMaxFiles < 0 ? 0 : AMaxFiles;
    DirList.assign(static_cast<size_t>(MaxDirs), nullptr);
    IsoPathOrder.assign(static_cast<size_t>(MaxDirs), nullptr);
    JolietPathOrder.assign(static_cast<size_t>(MaxDirs), nullptr);
    FileList.assign(static_cast<size_t>(MaxFiles), nullptr);

    TDEntry* root = NewDirRecord();
    root->ShortName = "CD_ROOT";
    root->LongName = "CD Root Directory";
    root->PathKey = "\\";
    root->ParentDir = root;
    return true;
}

bool TMCDBurner::ClearTree() {
    return ResetTree(kDefaultMaxFiles, kDefaultMaxDirs);
}

TDEntry* TMCDBurner::NewDirRecord() {
    if (DirCount >= MaxDirs) {
        DebugMessage("MAXIMUM DIRECTORIES CAN BE " + std::to_string(MaxDirs), 3);
        return nullptr;
    }
    TDEntry* dir = new TDEntry;
    DirList[DirCount] = IsoPathOrder[DirCount] = JolietPathOrder[DirCount] = dir;
    ++DirCount;
    return dir;
}

TFEntry* TMCDBurner::NewFileRecord() {
    if (FileCount >= MaxFiles) {
        DebugMessage("MAXIMUM FILES CAN BE " + std::to_string(MaxFiles), 3);
        return nullptr;
    }
    TFEntry* entry = new TFEntry;
    FileList[FileCount++] = entry;
    return entry;
}

TDEntry* TMCDBurner::FindDir(const std::string& Path) const {
    if (Path.empty() || Path == "\\") return RootDir();
    std::string key = Path;
    if (key.back() == '\\') key.pop_back();
    const auto found = Index.Dirs.find(UpperAscii(key));
    return found == Index.Dirs.end() ? nullptr : found->second;
}

TDEntry* TMCDBurner::CreateDirPath(const std::string& Path) {
    if (TDEntry* existing = FindDir(Path)) return existing;
    const size_t split = Path.find_last_of('\\');
    const std::string parentPath = split == std::string::npos ? std::string() : Path.substr(0, split);
    const std::string name = split == std::string::npos ? Path : Path.substr(split + 1);
    TDEntry* parent = FindDir(parentPath);
    if (!parent) {
        CreateDirPath(parentPath);
        parent = FindDir(parentPath);
    }
    if (!parent || name.empty()) return nullptr;
    return AddDirEntry(parent, name, Index.ShortNames.DirAlias(parent, name), NowAsFileDate(), faDirectory);
}

TDEntry* TMCDBurner::AddDirEntry(TDEntry* Parent, const std::string& LongName, const std::string& ShortName,
                                 TDateTime DateTime, int32_t Attr) {
    std::string candidate = Parent->PathKey + "\\" + LongName;
    if (candidate.starts_with("\\\\")) candidate.erase(0, 1);
    if (TDEntry* existing = FindDir(candidate)) return existing;

    const std::string shortName = ShortName.empty() ? UpperAscii(LongName) : ShortName;
    if (!FitsRecord(shortName, LongName, false)) {
        DebugMessage("DIRECTORY NAME TOO LONG: \"" + LongName + "\"", 3);
        return nullptr;
    }
    // Both records are checked before either is made, so that a directory never exists
    // without its entry in the parent (the path tables would name a directory no record has).
    if (DirCount >= MaxDirs || FileCount >= MaxFiles) {
        if (DirCount >= MaxDirs) NewDirRecord();
        else NewFileRecord();
        return nullptr;
    }
    TDEntry* dir = NewDirRecord();
    TFEntry* entry = NewFileRecord();
    AppendEntry(Parent, entry);

    dir->ShortName = entry->ShortName = shortName;
    dir->LongName = entry->LongName = LongName;
    dir->ParentDir = Parent;
    entry->Attr = Attr;
    entry->Dir = dir;
    entry->DateTime = DateTime;
    entry->GmtOffset = QuarterHoursEastAtLocal(DateTime);
    dir->PathKey = ComputePathKey(dir);

    Index.Dirs.emplace(dir->PathKey, dir);
    Index.Children[Parent].emplace(NameKey(LongName), entry);
    Index.ShortNames.Add(Parent, shortName);
    return dir;
}

int32_t TMCDBurner::InsertFile(const std::string& DestPath, const std::string& FilePath, bool SavePath) {
    return InsertFileAs(DestPath, FilePath, FileNamePart(FilePath), SavePath);
}

int32_t TMCDBurner::InsertFileAs(const std::string& DestPath, const std::string& FilePath,
                                 const std::string& DiscName, bool SavePath) {
    TDEntry* dir = nullptr;
    if (SavePath) {
        const std::string folder = DiscFolderOf(FilePath);
        CreateDirPath(folder);
        dir = FindDir(folder);
    } else {
        dir = FindDir(DestPath);
    }
    if (!dir) {
        DebugMessage("INVALID DESTINATION PATH", 4);
        return 0;
    }
    struct stat info {};
    if (stat(FilePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        NoteLeftOut(dir, DiscName, FilePath, lrMissing);
        return -1;
    }
    // A file that cannot be read would end the job half-way; it is left out at once instead.
    if (!IsReadable(FilePath)) {
        NoteLeftOut(dir, DiscName, FilePath, lrUnreadable);
        return 1;
    }

    TFoundFile found;
    found.Name = DiscName;
    found.Size = info.st_size;
    found.DateTime = FileDateTime(info.st_mtime);
    found.GmtOffset = QuarterHoursEastAt(info.st_mtime);
    found.Attr = found.Name.starts_with('.') ? faHidden : 0;
    AddFileEntry(dir, found, FilePath);
    return 1;
}

int32_t TMCDBurner::InsertData(const std::string& DestPath, const std::string& FileName,
                               std::shared_ptr<const std::string> Data) {
    TDEntry* dir = FindDir(DestPath);
    if (!dir) {
        DebugMessage("INVALID DESTINATION PATH", 4);
        return 0;
    }
    const std::time_t now = std::time(nullptr);
    TFoundFile found;
    found.Name = FileName;
    found.Size = Data ? static_cast<int64_t>(Data->size()) : 0;
    found.DateTime = FileDateTime(now);
    found.GmtOffset = QuarterHoursEastAt(now);
    found.Attr = FileName.starts_with('.') ? faHidden : 0;
    FPendingData = std::move(Data);
    AddFileEntry(dir, found, DiscPathOf(dir, FileName));
    FPendingData.reset();  // left over when no entry took it
    return 1;
}

void TMCDBurner::AddFileEntry(TDEntry* Dir, const TFoundFile& Found, const std::string& FullPath) {
    if (Found.Size > kLargestFile) {
        DebugMessage("FILE TOO LARGE FOR THE DISC: \"" + FullPath + "\"", 3);
        NoteLeftOut(Dir, Found.Name, FullPath, lrTooLarge);
        return;
    }
    // A name without a dot is recorded with one (NOTES becomes NOTES.), so it is looked up so.
    std::string longName = Found.Name;
    if (longName.find('.') == std::string::npos) longName += '.';
    TFEntry* found = FindChild(Dir, longName);
    // A subdirectory entry is never turned into a file: its directory would lose its record.
    const bool foundFile = found && !found->IsDirectory();
    std::string shortName = foundFile ? found->ShortName : Index.ShortNames.FileAlias(Dir, Found.Name);
    if (shortName.find('.') == std::string::npos) shortName += '.';
    TDateTime dateTime = Found.DateTime;
    const bool replacing = foundFile && ReplaceFile;
    const bool tooLong = JolietLength(longName) >= kSkippedNameLength;
    bool skip = tooLong;

    if (OnAddFile)
        OnAddFile(this, FullPath, longName, shortName, dateTime, Found.Attr, Found.Size, skip);
    if (skip) {
        // Only the length rule is reported: a handler that skips a file has its own reasons.
        if (tooLong) NoteLeftOut(Dir, Found.Name, FullPath, lrNameTooLong);
        return;
    }
    if (!FitsRecord(shortName, longName, true)) {
        DebugMessage("FILE NAME TOO LONG FOR THE DISC, SKIPPED: \"" + FullPath + "\"", 3);
        NoteLeftOut(Dir, Found.Name, FullPath, lrNameTooLong);
        return;
    }

    TFEntry* entry = nullptr;
    if (replacing) {
        entry = found;
        Index.Children[Dir].erase(NameKey(entry->LongName));
    } else if (found) {
        // The same source again (a photo in two albums) is on the disc once; another file
        // whose name a reader cannot tell apart from the one there is left out.
        if (found->SourcePath != FullPath) NoteLeftOut(Dir, Found.Name, FullPath, lrNameTaken, found->LongName);
        return;
    } else {
        entry = NewFileRecord();
        if (!entry) return;
        AppendEntry(Dir, entry);
    }
    entry->ShortName = UpperAscii(shortName);
    entry->LongName = longName;
    entry->Size = entry->JolietSize = Found.Size;
    entry->Attr = Found.Attr;
    entry->DateTime = dateTime;
    entry->GmtOffset = dateTime == Found.DateTime ? Found.GmtOffset : QuarterHoursEastAtLocal(dateTime);
    entry->SourcePath = FullPath;
    entry->Data = std::move(FPendingData);
    Index.Children[Dir].emplace(NameKey(longName), entry);
    Index.ShortNames.Add(Dir, entry->ShortName);
}
