// Diorama: shows the albums of the disc it is started from. "Diorama.exe /report FILE" writes
// what it loaded to FILE and exits, so that tests can check the real program on a disc.
#include "album_window.h"
#include "disc_paths.h"
#include "gdiplus_pictures.h"
#include "load_report.h"
#include "viewer_state.h"
#include "win_text.h"

#include <shellapi.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

const TText DefaultTitle = u"Photo Album Viewer";

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof(buffer), &got, nullptr) != 0) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
                    written == bytes.size();
    return CloseHandle(file) != 0 && ok;
}

TText OwnFolder() {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return ProgramFolder(FromWide(std::wstring(path.data(), length)));
}

TViewerState LoadDisc() {
    TViewerState state;
    state.DiscFolder = OwnFolder();
    std::string bytes;
    if (ReadWholeFile(Wide(state.DiscFolder + u"Albums.dat"), bytes)) state.Catalogue = ReadCatalogue(bytes);
    std::string title;
    state.Title = ReadWholeFile(Wide(state.DiscFolder + u"title.txt"), title) ? TitleFromFile(title, DefaultTitle)
                                                                                : DefaultTitle;
    return state;
}

// The file named after "/report", or empty.
std::wstring ReportFile() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring file;
    for (int i = 1; arguments && i + 1 < count; ++i)
        if (lstrcmpiW(arguments[i], L"/report") == 0) file = arguments[i + 1];
    LocalFree(arguments);
    return file;
}

void TellAboutCatalogue(HWND window, const TViewerState& state) {
    const std::wstring path = Wide(state.DiscFolder + u"Albums.dat");
    std::wstring text;
    if (state.Catalogue.State == TCatalogueState::csMissing)
        text = L"The album catalogue\n" + path + L"\nwas not found, so there are no albums to show.\n\n"
               L"Start the viewer from a disc written by Fotolark.";
    else if (state.Catalogue.State == TCatalogueState::csDamaged)
        text = L"The album catalogue\n" + path + L"\nis damaged. Only the albums that could be read are shown.";
    if (!text.empty()) MessageBoxW(window, text.c_str(), Wide(state.Title).c_str(), MB_OK | MB_ICONWARNING);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    TGdiplusSession gdiplus;
    TViewerState state = LoadDisc();

    const std::wstring report = ReportFile();
    if (!report.empty()) {
        const std::string text = LoadReport(state.Title, state.Catalogue, state.DiscFolder, [&](const TText& path) {
            return gdiplus.Ok() && LoadPicture(Wide(path)) != nullptr;
        });
        return WriteWholeFile(report, text) ? 0 : 1;
    }

    HWND window = CreateAlbumWindow(instance, &state);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    TellAboutCatalogue(window, state);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (AlbumWindowKey(window, message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
