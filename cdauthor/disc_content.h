// The content of an album disc, shared by the CD window and the command-line disc tool:
// the temporary autorun.inf, title.txt and Albums.dat, and the order in which the viewer,
// those files and every photo and thumbnail of the layout go into the burner's disc tree.
#pragma once

#include "album_records.h"
#include "mcdburner.h"

#include <string>
#include <vector>

struct TDiscContent {
    std::vector<const TAlbum*> Albums;  // the layout, in its order
    std::string AlbumDir;               // folder of the album files
    std::string ImageDir;               // folder of the photos
    std::string ThumbDir;               // folder of the thumbnails
    std::string Title;                  // may be empty
    std::string ViewerPath;             // the album viewer, always "Diorama.exe" on the disc
    bool WebPages = true;               // index.html and Web/ beside the viewer
};

// The name autorun.inf opens, whatever the viewer's file is called.
inline constexpr char kViewerDiscName[] = "Diorama.exe";

// Where the job takes a photo's image and thumbnail from.
std::string PhotoImagePath(const TDiscContent& content, const TPhoto& photo);
std::string PhotoThumbPath(const TDiscContent& content, const TPhoto& photo);

// The three temporary files of one job. They live in a folder of their own inside the
// user's temporary folder, so that two jobs never share them; Delete removes that folder.
class TDiscTempFiles {
public:
    TDiscTempFiles() = default;
    TDiscTempFiles(const TDiscTempFiles&) = delete;
    TDiscTempFiles& operator=(const TDiscTempFiles&) = delete;
    ~TDiscTempFiles() { Delete(); }

    // False when the folder cannot be made inside `tempFolder` (default: the system's).
    bool Create(const std::string& tempFolder = SystemTempFolder());
    void Delete();

    const std::string& Folder() const { return FFolder; }
    std::string AutorunPath() const { return FFolder + "autorun.inf"; }
    std::string TitlePath() const { return FFolder + "title.txt"; }
    std::string CataloguePath() const { return FFolder + "Albums.dat"; }

    static std::string SystemTempFolder();

private:
    std::string FFolder;  // with a trailing '/'; empty until Create succeeds
};

// The component's stored configuration for album discs.
void ApplyBurnerSettings(TMCDBurner& burner);
// The album viewer for a program in `programFolder`: "Resources/Diorama.exe" beside the window
// program, beside the programs of the build tree, or in the installed data folder.
std::string ViewerPathFor(const std::string& programFolder);
// The volume identifier of a disc: the title, or "Fotolark" when there is none.
std::string VolumeIdFor(const std::string& title);

// True when `text` holds a control character (a line break, a tab...): a title with one would
// add lines to autorun.inf.
bool HasControlCharacters(const std::string& text);

// Why an image file at `target` would damage what the disc is made from: a sentence naming the
// file or folder, or empty when the target is fine. Refused are the album, photo, thumbnail and
// viewer files of the job (also through another name or link) and any place inside the album,
// thumbnail or image folder.
std::string ImageTargetRefusal(const std::string& target, const TDiscContent& content);

std::string AutorunText(const std::string& title);
std::string TitleText(const std::string& title);
// "Adding " + name + " to CD layout": what the window shows while a file is added.
std::string AddingFileMessage(const std::string& longFileName);

// Writes the temporary files and fills the (empty) disc tree in the disc's order, the web
// pages last. Photos whose image or thumbnail cannot go onto the disc are left out; the burner
// lists them (LeftOutFiles), and the pages do not link them. False, with a sentence-case reason
// in `error`, when the title holds a control character or a temporary file cannot be written.
bool BuildDiscContent(TMCDBurner& burner, const TDiscContent& content, const TDiscTempFiles& temp,
                      std::string& error);

// What a job reports about the files the tree left out: one line each ("\Images\a.jpg: missing
// (/home/me/Images/a.jpg)") followed by the count; nothing when none was.
std::vector<std::string> LeftOutReport(const std::vector<TLeftOutFile>& files);

// The end of every job: the temporary files go and the tree is emptied for the next job.
void EndDiscJob(TMCDBurner& burner, TDiscTempFiles& temp);
