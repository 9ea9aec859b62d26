// The process-wide DPI and its sources, and the seven shared fonts remade as one set.
#include "draw/draw.h"

int32_t Scale(int32_t v) { return MulDiv(v, g_app.dpi, 96); }

// GetDpiForWindow exists only from Windows 10 1607 on, so it is looked up at run time, once.
UINT GetWindowDpi(HWND window) {
    if (!g_app.dpiLookupDone) {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        FARPROC entry = user32 ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
        g_app.getDpiForWindow =
            reinterpret_cast<GetDpiForWindowProc>(reinterpret_cast<void*>(entry));
        g_app.dpiLookupDone = true;
    }
    if (window && g_app.getDpiForWindow) return g_app.getDpiForWindow(window);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

HFONT MakeFont(const wchar_t* face, int32_t size, int32_t weight, int32_t italic) {
    // A negative height asks for the character (em) height rather than the cell height.
    return CreateFontW(-Scale(size), 0, 0, 0, weight, static_cast<DWORD>(italic), 0, 0,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

static const wchar_t FACE_CONDENSED[] = L"Bahnschrift Condensed";
static const wchar_t FACE_MONO[] = L"Consolas";

struct SharedFont {
    HFONT AppState::*field;
    const wchar_t* face;
    int32_t size;
    int32_t weight;
    int32_t italic;
};

static const SharedFont SHARED_FONTS[] = {
    {&AppState::fontBrand, FACE_CONDENSED, 22, 700, 1},
    {&AppState::fontTitle, FACE_CONDENSED, 40, 700, 1},
    {&AppState::fontFigure, FACE_CONDENSED, 30, 700, 1},
    {&AppState::fontBody, FACE_MONO, 13, 400, 0},
    {&AppState::fontSmall, FACE_MONO, 11, 400, 0},
    {&AppState::fontButton, FACE_MONO, 12, 400, 0},
    {&AppState::fontEdit, FACE_MONO, 17, 400, 0},
};

static HWND AppState::*const EDIT_FIELDS[] = {
    &AppState::editDay, &AppState::editMonth, &AppState::editYear, &AppState::editYears};

void CreateFonts() {
    for (const SharedFont& font : SHARED_FONTS) {
        HFONT& handle = g_app.*font.field;
        if (handle) DeleteObject(handle);
        handle = nullptr;
    }
    for (const SharedFont& font : SHARED_FONTS)
        g_app.*font.field = MakeFont(font.face, font.size, font.weight, font.italic);
    for (HWND AppState::*field : EDIT_FIELDS) {
        HWND edit = g_app.*field;
        if (edit) SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(g_app.fontEdit), 1);
    }
}
