#include "album_window.h"

#include "disc_paths.h"
#include "gdiplus_pictures.h"
#include "photo_view.h"
#include "win_text.h"

#include <commctrl.h>

namespace {

const wchar_t ClassName[] = L"DioramaAlbums";
constexpr int AlbumListWidth = 220;
constexpr int TileSize = 128;  // thumbnails are at most 120 pixels on either side

struct TAlbumWindow {
    TViewerState* State = nullptr;
    HWND Albums = nullptr, Thumbs = nullptr, Photo = nullptr;
    HIMAGELIST Tiles = nullptr;
    int Album = -1;
};

TAlbumWindow* WindowOf(HWND window) {
    return reinterpret_cast<TAlbumWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

const TAlbum* CurrentAlbum(const TAlbumWindow& w) {
    const TAlbumList& albums = w.State->Catalogue.Albums;
    return w.Album >= 0 && w.Album < static_cast<int>(albums.size()) ? albums[w.Album].get() : nullptr;
}

void Layout(HWND window) {
    TAlbumWindow& w = *WindowOf(window);
    RECT client;
    GetClientRect(window, &client);
    MoveWindow(w.Albums, 0, 0, AlbumListWidth, client.bottom, TRUE);
    const int left = AlbumListWidth + 4;
    MoveWindow(w.Thumbs, left, 0, client.right - left, client.bottom, TRUE);
    MoveWindow(w.Photo, left, 0, client.right - left, client.bottom, TRUE);
}

void FillThumbnails(TAlbumWindow& w) {
    HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    SendMessageW(w.Thumbs, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(w.Thumbs);
    ImageList_RemoveAll(w.Tiles);
    if (const TAlbum* album = CurrentAlbum(w)) {
        const COLORREF background = GetSysColor(COLOR_WINDOW);
        for (int i = 0; i < album->Project.PhotoCount(); ++i) {
            const TPhoto& photo = *album->Project.PhotoAt(i);
            std::unique_ptr<Gdiplus::Bitmap> thumb =
                LoadPicture(Wide(DiscFilePath(w.State->DiscFolder, u"Thumbs", photo.FileName)));
            HBITMAP tile = MakeThumbnailTile(thumb.get(), TileSize, background);
            const int image = tile ? ImageList_Add(w.Tiles, tile, nullptr) : -1;
            if (tile) DeleteObject(tile);
            std::wstring caption = Wide(DecodeText(photo.Caption));
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = i;
            item.iImage = image;
            item.pszText = caption.data();
            ListView_InsertItem(w.Thumbs, &item);
        }
    }
    SendMessageW(w.Thumbs, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(w.Thumbs, nullptr, TRUE);
    SetCursor(cursor);
}

void OpenPhoto(TAlbumWindow& w, int index) {
    const TAlbum* album = CurrentAlbum(w);
    if (!album || index < 0 || index >= album->Project.PhotoCount()) return;
    ShowPhotoInView(w.Photo, album, index, w.State->DiscFolder);
    ShowWindow(w.Thumbs, SW_HIDE);
    ShowWindow(w.Photo, SW_SHOW);
    SetFocus(w.Photo);
}

void ClosePhoto(TAlbumWindow& w, int index) {
    ShowWindow(w.Photo, SW_HIDE);
    ShowWindow(w.Thumbs, SW_SHOW);
    ListView_SetItemState(w.Thumbs, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(w.Thumbs, index, FALSE);
    SetFocus(w.Thumbs);
}

void SelectAlbum(TAlbumWindow& w, int index) {
    if (IsWindowVisible(w.Photo)) ClosePhoto(w, 0);
    w.Album = index;
    FillThumbnails(w);
}

void Create(HWND window, TViewerState* state, HINSTANCE instance) {
    auto* w = new TAlbumWindow;
    w->State = state;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    const WPARAM font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));

    w->Albums = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0,
                                0, 0, 0, window, nullptr, instance, nullptr);
    SendMessageW(w->Albums, WM_SETFONT, font, FALSE);
    for (const auto& album : state->Catalogue.Albums)
        SendMessageW(w->Albums, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(DecodeText(album->Title)).c_str()));

    w->Thumbs = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_AUTOARRANGE |
                                    LVS_SHOWSELALWAYS,
                                0, 0, 0, 0, window, nullptr, instance, nullptr);
    SendMessageW(w->Thumbs, WM_SETFONT, font, FALSE);
    w->Tiles = ImageList_Create(TileSize, TileSize, ILC_COLOR32, 16, 16);
    ListView_SetImageList(w->Thumbs, w->Tiles, LVSIL_NORMAL);
    ListView_SetIconSpacing(w->Thumbs, TileSize + 28, TileSize + 44);

    w->Photo = CreatePhotoView(window, instance);

    if (!state->Catalogue.Albums.empty()) {
        SendMessageW(w->Albums, LB_SETCURSEL, 0, 0);
        SelectAlbum(*w, 0);
    }
}

LRESULT CALLBACK AlbumWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TAlbumWindow* w = WindowOf(window);
    switch (message) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        Create(window, static_cast<TViewerState*>(create->lpCreateParams), create->hInstance);
        return 0;
    }
    case WM_SIZE:
        Layout(window);
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{560, 400};
        return 0;
    case WM_SETFOCUS:
        if (w) SetFocus(IsWindowVisible(w->Photo) ? w->Photo : w->Thumbs);
        return 0;
    case WM_COMMAND:
        if (w && reinterpret_cast<HWND>(lParam) == w->Albums && HIWORD(wParam) == LBN_SELCHANGE)
            SelectAlbum(*w, static_cast<int>(SendMessageW(w->Albums, LB_GETCURSEL, 0, 0)));
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (w && header->hwndFrom == w->Thumbs && (header->code == NM_CLICK || header->code == LVN_ITEMACTIVATE))
            OpenPhoto(*w, reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
        return 0;
    }
    case WM_PHOTO_CLOSED:
        if (w) ClosePhoto(*w, static_cast<int>(wParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        if (w) {
            ImageList_Destroy(w->Tiles);
            delete w;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

HWND CreateAlbumWindow(HINSTANCE instance, TViewerState* state) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = AlbumWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = ClassName;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, ClassName, Wide(state->Title).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, 900, 640, nullptr, nullptr, instance, state);
}

bool AlbumWindowKey(HWND window, const MSG& message) {
    TAlbumWindow* w = WindowOf(window);
    if (!w || message.message != WM_KEYDOWN || !IsWindowVisible(w->Photo)) return false;
    return PhotoViewKey(w->Photo, message.wParam);
}
