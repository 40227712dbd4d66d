// Every modal question or dialog that a main-window flow opens goes through TPrompts, so that
// tests can answer them from a script. TDialogPrompts shows the real dialogs.
#pragma once

#include "bitmap32.h"
#include "tone.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

class QWidget;
class TAcquireImage;
class TBitmap32;
class TMCDBurner;
struct TStorageFolders;
class TScanSourceList;
struct TCDWriterChoice;
class TPhoto;

// Results of AskUser, as the message dialog reports them.
enum TModalResult { mrYes = 6, mrNo = 7, mrCancel = 2 };

enum class TAskButtons { YesNo, YesNoCancel };

class TPrompts {
public:
    virtual ~TPrompts() = default;
    // A message dialog without icon whose window caption is `caption`.
    virtual int AskUser(QWidget* parent, const QString& caption, const QString& text,
                        TAskButtons buttons) = 0;
    // The standard error box.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // An information box without question.
    virtual void ShowInformation(QWidget* parent, const QString& caption, const QString& text) = 0;
    // "Photo Properties" for `photo` with `preview`; true when the user accepted (the photo
    // then holds the new caption and notes).
    virtual bool PhotoProperties(QWidget* parent, TPhoto& photo, const TBitmap32& preview) = 0;
    // "Modify Image" over `source`; true when the user applied a tone table.
    virtual bool ModifyImage(QWidget* parent, const TBitmap32& source, TToneTable& table) = 0;
    // "Add Photo to Album" near the screen point `at` ((-1, -1): centred on the image view);
    // true on OK with the chosen album title.
    virtual bool ChooseAlbum(QWidget* parent, const std::vector<std::string>& titles, QPoint at,
                             std::string& chosen) = 0;
    // "Image Already Used" for the photo of album `albumTitle`: mrYes duplicates, mrNo drops.
    virtual int ImageAlreadyUsed(QWidget* parent, const TPhoto& photo, const std::string& albumTitle,
                                 const std::string& imageDir) = 0;
    // "Remove Photo from Album" / "Remove Album": true on "&Remove", with the state of the box
    // that asks to erase the image files as well.
    virtual bool RemovePhoto(QWidget* parent, const TPhoto& photo, const std::string& thumbDir,
                             const std::string& imageDir, bool& eraseFiles) = 0;
    virtual bool RemoveAlbum(QWidget* parent, const std::string& title, bool& eraseFiles) = 0;
    // The picture open dialog; an empty path when cancelled.
    virtual QString OpenImageFile(QWidget* parent) = 0;
    // One page from the chosen scanner through its scan dialog; nothing when cancelled or failed.
    virtual std::optional<TBitmap32> ScanPage(QWidget* parent, TAcquireImage& scanner, TScanSourceList& sources) = 0;
    // "Fotolark Application Settings"; true when the user confirmed (the settings are saved).
    virtual bool EditPreferences(QWidget* parent, const std::vector<TCDWriterChoice>& writers,
                                 TScanSourceList& sources) = 0;
    // "Create a CD" over the albums of `folders`, writing through `burner`.
    virtual void CreateCD(QWidget* parent, const TStorageFolders& folders, TMCDBurner& burner,
                          const QString& helpFile) = 0;
};

class TDialogPrompts : public TPrompts {
public:
    int AskUser(QWidget* parent, const QString& caption, const QString& text,
                TAskButtons buttons) override;
    void ShowError(QWidget* parent, const QString& text) override;
    void ShowInformation(QWidget* parent, const QString& caption, const QString& text) override;
    bool PhotoProperties(QWidget* parent, TPhoto& photo, const TBitmap32& preview) override;
    bool ModifyImage(QWidget* parent, const TBitmap32& source, TToneTable& table) override;
    bool ChooseAlbum(QWidget* parent, const std::vector<std::string>& titles, QPoint at,
                     std::string& chosen) override;
    int ImageAlreadyUsed(QWidget* parent, const TPhoto& photo, const std::string& albumTitle,
                         const std::string& imageDir) override;
    bool RemovePhoto(QWidget* parent, const TPhoto& photo, const std::string& thumbDir,
                     const std::string& imageDir, bool& eraseFiles) override;
    bool RemoveAlbum(QWidget* parent, const std::string& title, bool& eraseFiles) override;
    QString OpenImageFile(QWidget* parent) override;
    std::optional<TBitmap32> ScanPage(QWidget* parent, TAcquireImage& scanner, TScanSourceList& sources) override;
    bool EditPreferences(QWidget* parent, const std::vector<TCDWriterChoice>& writers,
                         TScanSourceList& sources) override;
    void CreateCD(QWidget* parent, const TStorageFolders& folders, TMCDBurner& burner,
                  const QString& helpFile) override;
};
