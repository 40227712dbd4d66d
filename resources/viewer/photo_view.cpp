#include "photo_view.h"

#include "disc_paths.h"
#include "gdiplus_pictures.h"
#include "win_text.h"

#include <memory>
#include <string>

namespace {

const wchar_t ClassName[] = L"DioramaPhotoView";
constexpr int BarHeight = 34;
constexpr int CaptionHeight = 40;
constexpr int NotesHeight = 100;
constexpr COLORREF Background = RGB(40, 40, 40);
enum { idPrevious = 101, idNext, idBack };

struct TPhotoPage {
    const TAlbum* Album = nullptr;
    int Index = 0;
    TText DiscFolder;
    std::unique_ptr<Gdiplus::Bitmap> Picture;
    std::wstring Problem;  // why the photo is not shown
    HWND Notes = nullptr, Previous = nullptr, Next = nullptr, Back = nullptr;
    HFONT CaptionFont = nullptr;
};

TPhotoPage* PageOf(HWND view) { return reinterpret_cast<TPhotoPage*>(GetWindowLongPtrW(view, GWLP_USERDATA)); }

int PhotoCount(const TPhotoPage& page) { return page.Album ? page.Album->Project.PhotoCount() : 0; }

bool HasNotes(const TPhotoPage& page) {
    const TPhoto* photo = page.Album ? page.Album->Project.PhotoAt(page.Index) : nullptr;
    return photo && !photo->Notes().empty();
}

void Layout(HWND view) {
    TPhotoPage& page = *PageOf(view);
    RECT client;
    GetClientRect(view, &client);
    MoveWindow(page.Previous, 8, 5, 100, 24, TRUE);
    MoveWindow(page.Next, 114, 5, 100, 24, TRUE);
    MoveWindow(page.Back, 220, 5, 120, 24, TRUE);
    const int notes = HasNotes(page) ? NotesHeight : 0;
    MoveWindow(page.Notes, 8, client.bottom - notes, client.right - 16, notes > 0 ? notes - 8 : 0, TRUE);
    ShowWindow(page.Notes, notes > 0 ? SW_SHOW : SW_HIDE);
}

void Paint(HWND view) {
    TPhotoPage& page = *PageOf(view);
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(view, &paint);
    RECT client;
    GetClientRect(view, &client);
    // Drawn off screen first so that the picture does not flicker while it is resized.
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP buffer = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, buffer);
    HBRUSH fill = CreateSolidBrush(Background);
    FillRect(dc, &client, fill);
    DeleteObject(fill);

    const int notes = HasNotes(page) ? NotesHeight : 0;
    const RECT caption{8, client.bottom - notes - CaptionHeight, client.right - 8, client.bottom - notes};
    const RECT picture{8, BarHeight + 4, client.right - 8, caption.top - 4};
    SetBkMode(dc, TRANSPARENT);
    if (page.Picture) {
        Gdiplus::Graphics graphics(dc);
        DrawFitted(graphics, *page.Picture, picture);
    } else if (!page.Problem.empty()) {
        // Several lines cannot be centred vertically by DrawText itself: measure them first.
        SetTextColor(dc, RGB(255, 160, 160));
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        RECT box = picture;
        DrawTextW(dc, page.Problem.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
        const int height = box.bottom - box.top;
        box = picture;
        box.top += (picture.bottom - picture.top - height) / 2;
        DrawTextW(dc, page.Problem.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK);
    }
    if (const TPhoto* photo = page.Album ? page.Album->Project.PhotoAt(page.Index) : nullptr) {
        RECT box = caption;
        SetTextColor(dc, RGB(255, 255, 255));
        HGDIOBJ oldFont = SelectObject(dc, page.CaptionFont);
        DrawTextW(dc, Wide(DecodeText(photo->Caption)).c_str(), -1, &box,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        const std::wstring counter = std::to_wstring(page.Index + 1) + L" / " + std::to_wstring(PhotoCount(page));
        SetTextColor(dc, RGB(190, 190, 190));
        DrawTextW(dc, counter.c_str(), -1, &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, oldFont);
    }
    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(buffer);
    DeleteDC(dc);
    EndPaint(view, &paint);
}

void Step(HWND view, int to) {
    TPhotoPage& page = *PageOf(view);
    if (to < 0 || to >= PhotoCount(page) || to == page.Index) return;
    ShowPhotoInView(view, page.Album, to, page.DiscFolder);
}

LRESULT CALLBACK PhotoViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    TPhotoPage* page = PageOf(view);
    switch (message) {
    case WM_CREATE: {
        page = new TPhotoPage;
        SetWindowLongPtrW(view, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
        HINSTANCE instance = reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance;
        auto button = [&](const wchar_t* text, int id) {
            HWND b = CreateWindowW(L"BUTTON", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0, view,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
            SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
            return b;
        };
        page->Previous = button(L"< &Previous", idPrevious);
        page->Next = button(L"&Next >", idNext);
        page->Back = button(L"&Back to album", idBack);
        page->Notes = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                      WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0,
                                      0, view, nullptr, instance, nullptr);
        SendMessageW(page->Notes, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        page->CaptionFont = CreateFontW(-18, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
        return 0;
    }
    case WM_NCDESTROY:
        if (page) {
            DeleteObject(page->CaptionFont);
            delete page;
        }
        return DefWindowProcW(view, message, wParam, lParam);
    case WM_SIZE:
        Layout(view);
        InvalidateRect(view, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(view);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(view);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case idPrevious: PhotoViewKey(view, VK_PRIOR); break;
        case idNext: PhotoViewKey(view, VK_NEXT); break;
        case idBack: PhotoViewKey(view, VK_ESCAPE); break;
        default: return DefWindowProcW(view, message, wParam, lParam);
        }
        if (IsWindowVisible(view)) SetFocus(view);
        return 0;
    }
    return DefWindowProcW(view, message, wParam, lParam);
}

} // namespace

HWND CreatePhotoView(HWND parent, HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PhotoViewProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = ClassName;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, ClassName, L"", WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0, 0, 0, parent, nullptr,
                           instance, nullptr);
}

void ShowPhotoInView(HWND view, const TAlbum* album, int index, const TText& discFolder) {
    TPhotoPage& page = *PageOf(view);
    page.Album = album;
    page.Index = index;
    page.DiscFolder = discFolder;
    page.Picture.reset();
    page.Problem.clear();
    const TPhoto* photo = album ? album->Project.PhotoAt(index) : nullptr;
    if (photo) {
        const std::wstring path = Wide(DiscFilePath(discFolder, u"Images", photo->FileName));
        HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        page.Picture = LoadPicture(path);
        SetCursor(cursor);
        if (!page.Picture) page.Problem = L"The photo\n" + path + L"\ncould not be opened.";
    }
    SetWindowTextW(page.Notes, photo ? Wide(NotesText(photo->Notes())).c_str() : L"");
    EnableWindow(page.Previous, index > 0);
    EnableWindow(page.Next, index + 1 < PhotoCount(page));
    Layout(view);
    InvalidateRect(view, nullptr, FALSE);
}

bool PhotoViewKey(HWND view, WPARAM key) {
    TPhotoPage& page = *PageOf(view);
    switch (key) {
    case VK_RIGHT: case VK_NEXT: case VK_SPACE: Step(view, page.Index + 1); return true;
    case VK_LEFT: case VK_PRIOR: case VK_BACK: Step(view, page.Index - 1); return true;
    case VK_HOME: Step(view, 0); return true;
    case VK_END: Step(view, PhotoCount(page) - 1); return true;
    case VK_ESCAPE: SendMessageW(GetParent(view), WM_PHOTO_CLOSED, static_cast<WPARAM>(page.Index), 0); return true;
    }
    return false;
}
