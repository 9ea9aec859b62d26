// A console helper the long-use tests run beside quorvel.exe: it drives the running program
// through tens of thousands of paints, DPI changes, setup-form and widget cycles, or a storm of
// random window messages, and reads what the platform knows about the program afterwards (its
// GDI handle table, its private memory, its setup fields). One command per run, JSON on stdout.
//
// GetGuiResources answers 0 under Wine, so the GDI objects are counted in the program's own
// handle table: the table's address is in its process block, and every entry in use carries a
// non-zero type byte.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

static const wchar_t CALENDAR_CLASS[] = L"VoskTarnellineQuorvelDast";
static const wchar_t WIDGET_CLASS[] = L"VoskTarnellineQuorvelWidget";
constexpr int SETUP_FIELD_IDS[4] = {101, 102, 103, 104};
constexpr UINT SEND_TIMEOUT_MS = 10000;

struct Target {
    HWND calendar = nullptr;
    HWND widget = nullptr;
    HANDLE process = nullptr;
};

static bool FindTarget(Target* t) {
    t->calendar = FindWindowW(CALENDAR_CLASS, nullptr);
    t->widget = FindWindowW(WIDGET_CLASS, nullptr);
    if (!t->calendar || !t->widget) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(t->calendar, &pid);
    t->process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    return t->process != nullptr;
}

// A message that does not come back within the timeout means the program is stuck (a modal
// loop, a hang); it is counted and reported rather than waited for forever.
static int g_timeouts = 0;
static bool g_undelivered = false;  // the last message failed otherwise (the window is gone)
static LRESULT Send(HWND w, UINT message, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    g_undelivered = false;
    if (!SendMessageTimeoutW(w, message, wp, lp, SMTO_NORMAL, SEND_TIMEOUT_MS, &result)) {
        if (GetLastError() == ERROR_TIMEOUT) ++g_timeouts;
        else g_undelivered = true;
        return 0;
    }
    return static_cast<LRESULT>(result);
}

// ---- What the platform knows about the program ------------------------------------------

constexpr int GDI_TABLE_ENTRIES = 0x10000;
constexpr int GDI_ENTRY_SIZE = 24;          // object, owner, unique, type, flags, user pointer
constexpr int GDI_ENTRY_TYPE_OFFSET = 14;
constexpr SIZE_T PEB_GDI_TABLE_OFFSET = 0xF8;  // 64-bit process block

// The number of GDI objects alive in `process`, or a negative number when the table cannot be
// read.
static int GdiObjectCount(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic = {};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                  nullptr) != 0)
        return -1;
    uint64_t table = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<BYTE*>(basic.PebBaseAddress) +
                                        PEB_GDI_TABLE_OFFSET,
                           &table, sizeof table, nullptr) ||
        table == 0)
        return -2;
    static std::vector<unsigned char> entries(GDI_TABLE_ENTRIES * GDI_ENTRY_SIZE);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                           entries.size(), nullptr))
        return -3;
    int alive = 0;
    for (int i = 0; i < GDI_TABLE_ENTRIES; ++i)
        if (entries[i * GDI_ENTRY_SIZE + GDI_ENTRY_TYPE_OFFSET] != 0) ++alive;
    return alive;
}

// The counter must see objects come and go, or a leak would pass unseen: it is tried on this
// process first with a hundred brushes of its own.
static bool GdiCounterWorks() {
    const int before = GdiObjectCount(GetCurrentProcess());
    HBRUSH brushes[100];
    for (int i = 0; i < 100; ++i) brushes[i] = CreateSolidBrush(RGB(i, 1, 2));
    const int during = GdiObjectCount(GetCurrentProcess());
    for (HBRUSH b : brushes) DeleteObject(b);
    const int after = GdiObjectCount(GetCurrentProcess());
    return before >= 0 && during == before + 100 && after == before;
}

// Wine fills PagefileUsage with the process's private memory; PrivateUsage stays 0 there.
static long long PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
    return static_cast<long long>(counters.PagefileUsage);
}

static std::string Utf8Json(const wchar_t* text) {
    char buffer[1024];
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr,
                                      nullptr);
    std::string out = "\"";
    for (int i = 0; i + 1 < n; ++i) {
        const char c = buffer[i];
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

// The setup fields' texts, asked of each field (another process's GetWindowTextW only sees
// the caption stored at creation).
static int Fields(const Target& t) {
    std::string texts, visible;
    for (int id : SETUP_FIELD_IDS) {
        HWND field = GetDlgItem(t.calendar, id);
        wchar_t text[64] = {};
        if (field) Send(field, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        texts += (texts.empty() ? "" : ",") + Utf8Json(text);
        visible += std::string(visible.empty() ? "" : ",") +
                   (field && IsWindowVisible(field) ? "1" : "0");
    }
    printf("{\"texts\":[%s],\"visible\":[%s]}\n", texts.c_str(), visible.c_str());
    return 0;
}

static int Resources(const Target& t) {
    printf("{\"gdi\":%d,\"memory\":%lld,\"counter_works\":%d}\n", GdiObjectCount(t.process),
           PrivateBytes(t.process), GdiCounterWorks() ? 1 : 0);
    return 0;
}

// ---- Memory at one address in both processes ---------------------------------------------

extern "C" NTSTATUS NTAPI NtMapViewOfSection(HANDLE section, HANDLE process, PVOID* base,
                                             ULONG_PTR zeroBits, SIZE_T commitSize,
                                             PLARGE_INTEGER offset, PSIZE_T viewSize,
                                             DWORD inherit, ULONG allocationType, ULONG protect);

// One shared section, mapped at the same address here and in the program, so a pointer
// parameter is right whether or not the platform copies the structure across for the message.
// Bytes written here are there at once; copying them across with WriteProcessMemory instead
// would have Wine's server stop the program's thread for every message.
class SharedBlock {
  public:
    static constexpr SIZE_T SIZE = 64 * 1024;

    ~SharedBlock() {
        if (local_) UnmapViewOfFile(local_);
        if (section_) CloseHandle(section_);
    }
    bool Open(HANDLE process) {
        section_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, SIZE,
                                      nullptr);
        if (!section_) return false;
        for (int attempt = 0; attempt < 16 && !local_; ++attempt) {
            PVOID there = nullptr;
            SIZE_T size = 0;
            if (NtMapViewOfSection(section_, process, &there, 0, 0, nullptr, &size,
                                   2 /* ViewUnmap */, 0, PAGE_READWRITE) < 0)
                return false;
            local_ = static_cast<BYTE*>(
                MapViewOfFileEx(section_, FILE_MAP_ALL_ACCESS, 0, 0, SIZE, there));
            // Taken here: that view stays in the program, so the next one lands elsewhere.
        }
        return local_ != nullptr;
    }
    BYTE* Data() { return local_; }
    LPARAM At(SIZE_T offset) { return reinterpret_cast<LPARAM>(local_ + offset); }

  private:
    HANDLE section_ = nullptr;
    BYTE* local_ = nullptr;
};

// ---- Long use ----------------------------------------------------------------------------

static bool FieldsVisible(const Target& t) {
    HWND day = GetDlgItem(t.calendar, SETUP_FIELD_IDS[0]);
    return day && IsWindowVisible(day);
}

static void PaintNow(HWND w) { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

// A window with nothing left to paint has been painted (BeginPaint validates it).
static bool Painted(HWND w) { return !GetUpdateRect(w, nullptr, FALSE); }

// Each phase runs a few warm-up rounds first: the first showing of a setup field or of the
// widget allocates objects that then live for the process. What a phase leaks is the growth
// after the warm-up.
constexpr int WARMUP_ROUNDS = 10;

struct Phase {
    const char* name;
    int done = 0;  // rounds whose effect was seen
    int gdiWarm = 0, gdiAfter = 0;
    long long memoryWarm = 0, memoryAfter = 0;
    DWORD ms = 0;
};

static std::string PhaseJson(const Phase& p) {
    char b[320];
    snprintf(b, sizeof b,
             "{\"name\":\"%s\",\"done\":%d,\"gdi_warm\":%d,\"gdi\":%d,\"memory_warm\":%lld,"
             "\"memory\":%lld,\"ms\":%lu}",
             p.name, p.done, p.gdiWarm, p.gdiAfter, p.memoryWarm, p.memoryAfter,
             static_cast<unsigned long>(p.ms));
    return b;
}

// Hover changes between two tabs and empty space, each followed by a full repaint.
static int RepaintWithHover(const Target& t, int first, int count) {
    static const POINT points[] = {{40, 124}, {400, 700}, {140, 124}};
    int painted = 0;
    for (int i = first; i < count; ++i) {
        const POINT p = points[i % 3];
        Send(t.calendar, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        PaintNow(t.calendar);
        if (Painted(t.calendar)) ++painted;
    }
    return painted;
}

// Alternating 144 and 96 dpi with a window rectangle the system could suggest (at 144 dpi
// one that fits the 1920 x 1080 screen); the count is even, so the window ends at 96 dpi with
// the rectangle it started with.
static int ChangeDpi(const Target& t, SharedBlock& block, int first, int count) {
    RECT start;
    GetWindowRect(t.calendar, &start);
    int resized = 0;
    for (int i = first; i < count; ++i) {
        const int dpi = i % 2 == 0 ? 144 : 96;
        RECT* suggested = reinterpret_cast<RECT*>(block.Data());
        *suggested = dpi == 96 ? start : RECT{start.left, start.top, start.left + 1000,
                                              start.top + 900};
        const RECT want = *suggested;
        Send(t.calendar, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), block.At(0));
        PaintNow(t.calendar);
        RECT got;
        GetWindowRect(t.calendar, &got);
        if (EqualRect(&got, &want) && Painted(t.calendar)) ++resized;
    }
    return resized;
}

// 'A' opens the form, IDOK commits the stored (valid) date and closes it again.
static int CycleSetupForm(const Target& t, int first, int count) {
    int cycles = 0;
    for (int i = first; i < count; ++i) {
        Send(t.calendar, WM_KEYDOWN, 'A', 0);
        PaintNow(t.calendar);
        const bool opened = FieldsVisible(t);
        Send(t.calendar, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        PaintNow(t.calendar);
        if (opened && !FieldsVisible(t)) ++cycles;
    }
    return cycles;
}

// 'W' shows the widget, a double-click on it brings the calendar back.
static int CycleWidget(const Target& t, int first, int count) {
    int cycles = 0;
    for (int i = first; i < count; ++i) {
        Send(t.calendar, WM_KEYDOWN, 'W', 0);
        PaintNow(t.widget);
        const bool shown = IsWindowVisible(t.widget) && !IsWindowVisible(t.calendar);
        Send(t.widget, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
        PaintNow(t.calendar);
        if (shown && IsWindowVisible(t.calendar) && !IsWindowVisible(t.widget)) ++cycles;
    }
    return cycles;
}

template <typename Rounds>
static Phase RunPhase(const Target& t, const char* name, int count, Rounds rounds) {
    Phase p;
    p.name = name;
    const DWORD started = GetTickCount();
    const int warmup = count < WARMUP_ROUNDS ? count : WARMUP_ROUNDS;
    p.done = rounds(0, warmup);
    p.gdiWarm = GdiObjectCount(t.process);
    p.memoryWarm = PrivateBytes(t.process);
    p.done += rounds(warmup, count);
    p.gdiAfter = GdiObjectCount(t.process);
    p.memoryAfter = PrivateBytes(t.process);
    p.ms = GetTickCount() - started;
    return p;
}

static int LongUse(const Target& t, int paints, int dpis, int setups, int widgets) {
    SharedBlock block;
    if (!block.Open(t.process)) return 3;
    const Phase phases[] = {
        RunPhase(t, "paint", paints,
                 [&](int first, int n) { return RepaintWithHover(t, first, n); }),
        RunPhase(t, "dpi", dpis,
                 [&](int first, int n) { return ChangeDpi(t, block, first, n); }),
        RunPhase(t, "setup", setups,
                 [&](int first, int n) { return CycleSetupForm(t, first, n); }),
        RunPhase(t, "widget", widgets,
                 [&](int first, int n) { return CycleWidget(t, first, n); }),
    };
    Send(t.calendar, WM_MOUSELEAVE, 0, 0);
    PaintNow(t.calendar);
    std::string list;
    for (const Phase& p : phases) list += (list.empty() ? "" : ",") + PhaseJson(p);
    printf("{\"counter_works\":%d,\"timeouts\":%d,\"phases\":[%s]}\n",
           GdiCounterWorks() ? 1 : 0, g_timeouts, list.c_str());
    return 0;
}

// ---- Message fuzz ------------------------------------------------------------------------

enum ParamKind {
    PLAIN,       // random wParam and lParam
    MOUSE,       // client coordinates in lParam, mostly inside the window
    SCREEN,      // screen coordinates in lParam
    KEY,         // a key code in wParam
    NONCLIENT,   // a hit-test code in wParam that starts no move, size or menu loop
    SYSCOMMAND,  // a wParam below the SC_ range, so no system command runs
    NO_LPARAM,   // lParam 0: the default handling would call it as a timer procedure
    POINTER,     // lParam points to zeroed memory the size of any structure
    TEXT,        // lParam points to a terminated random text
    TEXT_OUT,    // wParam a buffer length, lParam the buffer
    COUNT_ARRAY, // wParam a small count, lParam an array of that many integers
    TWO_POINTERS,// wParam and lParam both point to integers
    WINDOWPOS_PTR,
    NCCALCSIZE_PTR,
    RECT_PTR,    // a random rectangle of plausible size (also the DPI change's suggestion)
    COPYDATA_PTR,
    HELPINFO_PTR,
    DEVICE_PTR,
    MSG_PTR,
    MDICREATE_PTR,
    SIZED_PTR,   // a structure whose first DWORD is its size (title-bar information)
    SKIP,
};

struct FuzzKind {
    UINT message;
    ParamKind kind;
};

// Messages whose parameters are not plain numbers, and those left out. Left out are the ones
// that end the program by design (close, destroy, quit, end of session), the creation messages
// the system sends once, WM_SETREDRAW (FALSE hides the window by design), and the ones whose
// default handling opens a modal menu or a move/size loop that would wait for a real mouse:
// WM_CONTEXTMENU and the right-button releases that produce it, the system keys, and the
// undocumented system-menu message 0x313. Input-method messages go to the input method, which
// reads lParam as a pointer for several of its commands. EM_GETLINE is left out because of
// Wine 8: answering it across processes, it sends back a buffer whose length it takes from
// memory the message does not own (tens of kilobytes), and a write that large to its server,
// cut by a signal, ends the process ("wine client error: partial write"). Every such death
// of the storm was during an EM_GETLINE.
static const FuzzKind KINDS[] = {
    {WM_CREATE, SKIP}, {WM_DESTROY, SKIP}, {WM_SETREDRAW, SKIP}, {WM_CLOSE, SKIP},
    {WM_QUIT, SKIP}, {WM_ENDSESSION, SKIP}, {WM_NCCREATE, SKIP}, {WM_NCDESTROY, SKIP},
    {WM_CONTEXTMENU, SKIP}, {WM_RBUTTONUP, SKIP}, {WM_NCRBUTTONUP, SKIP},
    {WM_SYSKEYDOWN, SKIP}, {WM_SYSKEYUP, SKIP}, {WM_SYSCHAR, SKIP}, {WM_SYSDEADCHAR, SKIP},
    {0x0313, SKIP}, {WM_IME_STARTCOMPOSITION, SKIP}, {WM_IME_ENDCOMPOSITION, SKIP},
    {WM_IME_COMPOSITION, SKIP},
    {WM_MOUSEMOVE, MOUSE}, {WM_LBUTTONDOWN, MOUSE}, {WM_LBUTTONUP, MOUSE},
    {WM_LBUTTONDBLCLK, MOUSE}, {WM_RBUTTONDOWN, MOUSE}, {WM_RBUTTONDBLCLK, MOUSE},
    {WM_MBUTTONDOWN, MOUSE}, {WM_MBUTTONUP, MOUSE}, {WM_MOUSEHOVER, MOUSE},
    {WM_MOUSEWHEEL, SCREEN}, {WM_NCHITTEST, SCREEN}, {WM_NCMOUSEMOVE, NONCLIENT},
    {WM_NCLBUTTONDOWN, NONCLIENT}, {WM_NCLBUTTONUP, NONCLIENT}, {WM_NCLBUTTONDBLCLK, NONCLIENT},
    {WM_NCRBUTTONDOWN, NONCLIENT}, {WM_NCRBUTTONDBLCLK, NONCLIENT},
    {WM_NCMBUTTONDOWN, NONCLIENT}, {WM_NCMBUTTONUP, NONCLIENT},
    {WM_KEYDOWN, KEY}, {WM_KEYUP, KEY}, {WM_CHAR, KEY}, {WM_DEADCHAR, KEY},
    {WM_SYSCOMMAND, SYSCOMMAND}, {WM_TIMER, NO_LPARAM}, {0x0118, NO_LPARAM},
    {WM_SETTEXT, TEXT}, {WM_WININICHANGE, TEXT}, {WM_DEVMODECHANGE, TEXT},
    {WM_GETTEXT, TEXT_OUT}, {WM_ASKCBFORMATNAME, TEXT_OUT},
    {WM_GETMINMAXINFO, POINTER}, {WM_DRAWITEM, POINTER}, {WM_MEASUREITEM, POINTER},
    {WM_DELETEITEM, POINTER}, {WM_COMPAREITEM, POINTER}, {WM_NOTIFY, POINTER},
    {WM_STYLECHANGING, POINTER}, {WM_STYLECHANGED, POINTER}, {WM_NEXTMENU, POINTER},
    {WM_MDIGETACTIVE, POINTER}, {0x022A, POINTER}, {0x022B, POINTER}, {0x022C, POINTER},
    {0x022D, POINTER}, {0x022F, POINTER},  // the old drag-and-drop messages
    {WM_WINDOWPOSCHANGING, WINDOWPOS_PTR}, {WM_WINDOWPOSCHANGED, WINDOWPOS_PTR},
    {WM_NCCALCSIZE, NCCALCSIZE_PTR}, {WM_SIZING, RECT_PTR}, {WM_MOVING, RECT_PTR},
    {WM_DPICHANGED, RECT_PTR}, {WM_COPYDATA, COPYDATA_PTR}, {WM_HELP, HELPINFO_PTR},
    {WM_DEVICECHANGE, DEVICE_PTR}, {WM_GETDLGCODE, MSG_PTR}, {WM_MDICREATE, MDICREATE_PTR},
    {0x033F, SIZED_PTR},  // WM_GETTITLEBARINFOEX
    // Control messages the platform copies across processes as structures or texts.
    {EM_GETSEL, TWO_POINTERS}, {EM_GETRECT, RECT_PTR}, {EM_SETRECT, RECT_PTR},
    {EM_SETRECTNP, RECT_PTR}, {EM_REPLACESEL, TEXT}, {EM_GETLINE, SKIP},
    {EM_SETTABSTOPS, COUNT_ARRAY}, {SBM_GETRANGE, TWO_POINTERS}, {SBM_SETSCROLLINFO, SIZED_PTR},
    {SBM_GETSCROLLINFO, SIZED_PTR}, {SBM_GETSCROLLBARINFO, SIZED_PTR},
    {CB_GETEDITSEL, TWO_POINTERS}, {CB_ADDSTRING, TEXT}, {CB_DIR, TEXT},
    {CB_GETLBTEXT, TEXT_OUT}, {CB_INSERTSTRING, TEXT}, {CB_FINDSTRING, TEXT},
    {CB_SELECTSTRING, TEXT}, {CB_GETDROPPEDCONTROLRECT, RECT_PTR},
    {CB_FINDSTRINGEXACT, TEXT}, {LB_ADDSTRING, TEXT}, {LB_INSERTSTRING, TEXT},
    {LB_GETTEXT, TEXT_OUT}, {LB_SELECTSTRING, TEXT}, {LB_DIR, TEXT}, {LB_FINDSTRING, TEXT},
    {LB_GETSELITEMS, COUNT_ARRAY}, {LB_SETTABSTOPS, COUNT_ARRAY}, {LB_ADDFILE, TEXT},
    {LB_GETITEMRECT, RECT_PTR}, {LB_FINDSTRINGEXACT, TEXT},
};

static ParamKind KindOf(UINT message) {
    if (message >= WM_IME_SETCONTEXT && message <= WM_IME_KEYUP) return SKIP;
    for (const FuzzKind& k : KINDS)
        if (k.message == message) return k.kind;
    return PLAIN;
}

// The messages the two window procedures handle themselves, drawn more often than the rest.
static const UINT HANDLED[] = {
    WM_SIZE, WM_PAINT, WM_ERASEBKGND, WM_TIMECHANGE, WM_SETCURSOR, WM_GETMINMAXINFO,
    WM_KEYDOWN, WM_COMMAND, WM_TIMER, WM_CTLCOLOREDIT, WM_MOUSEMOVE, WM_LBUTTONUP,
    WM_POWERBROADCAST, WM_MOUSELEAVE, WM_DPICHANGED, WM_NCHITTEST, WM_NCLBUTTONDBLCLK,
    WM_EXITSIZEMOVE, WM_WINDOWPOSCHANGED, WM_SETTEXT, WM_GETTEXT, WM_NCCALCSIZE,
};

// Keys the calendar window acts on, and a few that move focus or commit; F10 and the menu and
// application keys are left out (their default handling opens the system or context menu).
static const WPARAM KEYS[] = {'1', '2', '3', '4', '5', 'A', 'W', 'a', 'w', VK_RETURN,
                              VK_TAB, VK_ESCAPE, VK_NUMPAD1, VK_NUMPAD2, VK_SPACE, VK_LEFT};

// The DPIs a monitor can have, from 50 % to 500 % scaling. One in ten DPI changes carries a
// DPI no monitor has (below 48 or above 960) or no rectangle, which the program ignores; a DPI
// of thousands taken at its word would ask for a window hundreds of thousands of pixels wide.
static const int PLATFORM_DPIS[] = {48, 72, 96, 120, 144, 168, 192, 240, 288, 336, 384, 480};

class Fuzzer {
  public:
    Fuzzer(const Target& t, SharedBlock& block, uint64_t seed)
        : t_(t), block_(block), rng_(seed) {}

    void SendOne() {
        const HWND w = Percent() < 70 ? t_.calendar : t_.widget;
        UINT message = 0;
        ParamKind kind = SKIP;
        while (kind == SKIP) {
            const int p = Percent();
            message = p < 45   ? HANDLED[Below(sizeof HANDLED / sizeof HANDLED[0])]
                      : p < 80 ? static_cast<UINT>(Below(0x400))
                      : p < 90 ? static_cast<UINT>(Below(0x10000))
                               : KINDS[Below(sizeof KINDS / sizeof KINDS[0])].message;
            kind = KindOf(message);
        }
        WPARAM wp = Random64();
        LPARAM lp = static_cast<LPARAM>(Random64());
        if (Percent() < 30) wp &= 0xFFFF;
        if (Percent() < 30) lp &= 0xFFFFFFFF;
        Parameters(w, message, kind, &wp, &lp);
        recent_[sent_ % RECENT] = {w == t_.widget, message, wp, lp};
        Send(w, message, wp, lp);
        // The first of the messages that went nowhere at the end (some the platform refuses
        // on their own, a delivered one starts the count again).
        if (!g_undelivered) firstUndelivered_ = -1;
        else if (firstUndelivered_ < 0) firstUndelivered_ = sent_;
        ++sent_;
    }
    int Sent() const { return sent_; }

    // The messages up to the first one the program did not take, oldest first, as a JSON
    // array: what was going on when it ended.
    std::string Recent() const {
        std::string out = "[";
        const int last = firstUndelivered_ >= 0 ? firstUndelivered_ : sent_ - 1;
        const int first = std::max({last - 19, sent_ - RECENT, 0});  // still in the ring
        for (int i = first; i <= last; ++i) {
            const SentMessage& m = recent_[i % RECENT];
            char one[128];
            snprintf(one, sizeof one, "%s\"%s %04X %llX %llX\"", out.size() > 1 ? "," : "",
                     m.widget ? "widget" : "calendar", m.message,
                     static_cast<unsigned long long>(m.wp), static_cast<unsigned long long>(m.lp));
            out += one;
        }
        return out + "]";
    }

  private:
    void Parameters(HWND w, UINT message, ParamKind kind, WPARAM* wp, LPARAM* lp) {
        BYTE* data = block_.Data();
        memset(data, 0, 4096);
        switch (kind) {
            case MOUSE: *lp = ClientPoint(w); break;
            case SCREEN: *lp = ScreenPoint(w); break;
            case KEY:
                *wp = Percent() < 70 ? KEYS[Below(sizeof KEYS / sizeof KEYS[0])] : Below(256);
                if (*wp == VK_F10 || *wp == VK_MENU || *wp == VK_APPS || *wp == VK_LWIN ||
                    *wp == VK_RWIN)
                    *wp = 'Q';
                break;
            case NONCLIENT:
                *wp = Below(2);  // HTNOWHERE or HTCLIENT
                *lp = ScreenPoint(w);
                break;
            case SYSCOMMAND: *wp = Below(0xF000); break;
            case NO_LPARAM: *lp = 0; break;
            case POINTER: *lp = Block(); break;
            case TEXT:
                RandomText(reinterpret_cast<wchar_t*>(data), 400);
                *lp = Block();
                break;
            case TEXT_OUT:
                *wp = Below(1024);
                *lp = Block();
                break;
            case COUNT_ARRAY:
                *wp = Below(64);
                for (int i = 0; i < 64; ++i) reinterpret_cast<int*>(data)[i] = Below(200);
                *lp = Block();
                break;
            case TWO_POINTERS:
                *wp = block_.At(0);
                *lp = block_.At(16);
                break;
            case WINDOWPOS_PTR: {
                auto* pos = reinterpret_cast<WINDOWPOS*>(data);
                *pos = {w, nullptr, Between(-200, 2000), Between(-200, 1200), Between(0, 2500),
                        Between(0, 1500), static_cast<UINT>(Below(0x8000))};
                *lp = Block();
                break;
            }
            case NCCALCSIZE_PTR: {
                auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(data);
                for (RECT& r : params->rgrc) r = RandomRect();
                auto* pos = reinterpret_cast<WINDOWPOS*>(data + 1024);
                *pos = {w, nullptr, 0, 0, Between(0, 2000), Between(0, 1200), SWP_NOZORDER};
                params->lppos = pos;
                *wp = Below(2);
                if (*wp == 0) *reinterpret_cast<RECT*>(data) = RandomRect();
                *lp = Block();
                break;
            }
            case RECT_PTR:
                *reinterpret_cast<RECT*>(data) = RandomRect();
                *lp = Block();
                if (message == WM_DPICHANGED) {
                    int dpi = PLATFORM_DPIS[Below(sizeof PLATFORM_DPIS / sizeof(int))];
                    if (Percent() < 10) {
                        dpi = Below(2) ? Below(48) : Between(961, 0xFFFF);
                        if (Below(4) == 0) *lp = 0;
                    }
                    *wp = MAKEWPARAM(dpi, dpi);
                }
                break;
            case COPYDATA_PTR: {
                auto* copy = reinterpret_cast<COPYDATASTRUCT*>(data);
                copy->dwData = Random64();
                copy->cbData = Below(1024);
                copy->lpData = data + 1024;
                *lp = Block();
                break;
            }
            case HELPINFO_PTR:
                reinterpret_cast<HELPINFO*>(data)->cbSize = sizeof(HELPINFO);
                *lp = Block();
                break;
            case DEVICE_PTR:
                reinterpret_cast<DWORD*>(data)[0] = 12;  // a bare header
                reinterpret_cast<DWORD*>(data)[1] = Below(8);
                *lp = Block();
                break;
            case MSG_PTR: {
                auto* msg = reinterpret_cast<MSG*>(data);
                msg->hwnd = w;
                msg->message = Below(0x400);
                msg->wParam = Below(256);
                *lp = Percent() < 20 ? 0 : Block();
                break;
            }
            case MDICREATE_PTR: {
                auto* create = reinterpret_cast<MDICREATESTRUCTW*>(data);
                create->szClass = MAKEINTRESOURCEW(1);
                create->szTitle = reinterpret_cast<LPCWSTR>(data + 1024);  // empty text
                *lp = Block();
                break;
            }
            case SIZED_PTR:
                reinterpret_cast<DWORD*>(data)[0] = Below(2) ? 44 : 28;
                *lp = Block();
                break;
            case PLAIN:
            case SKIP: break;
        }
        (void)message;
    }

    LPARAM Block() { return block_.At(0); }
    LPARAM ClientPoint(HWND w) {
        RECT client;
        GetClientRect(w, &client);
        if (Percent() < 25) return static_cast<LPARAM>(Random64() & 0xFFFFFFFF);
        return MAKELPARAM(Between(0, client.right), Between(0, client.bottom));
    }
    LPARAM ScreenPoint(HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        if (Percent() < 25) return static_cast<LPARAM>(Random64() & 0xFFFFFFFF);
        return MAKELPARAM(Between(r.left, r.right), Between(r.top, r.bottom));
    }
    RECT RandomRect() {
        const int left = Between(-300, 1900), top = Between(-300, 1000);
        return RECT{left, top, left + Between(-50, 2600), top + Between(-50, 1600)};
    }
    void RandomText(wchar_t* out, int max) {
        const int n = Below(max);
        for (int i = 0; i < n; ++i)
            out[i] = static_cast<wchar_t>(Percent() < 80 ? Between(0x20, 0x7E) : Between(0xA0, 0xD7FF));
        out[n] = L'\0';
    }

    uint64_t Random64() { return rng_(); }
    int Below(int n) { return static_cast<int>(rng_() % static_cast<uint64_t>(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    int Percent() { return Below(100); }

    const Target& t_;
    SharedBlock& block_;
    std::mt19937_64 rng_;
    int sent_ = 0;
    int firstUndelivered_ = -1;
    struct SentMessage {
        bool widget;
        UINT message;
        WPARAM wp;
        LPARAM lp;
    };
    static constexpr int RECENT = 1000;  // the liveness check looks every thousand messages
    SentMessage recent_[RECENT] = {};
};

// After the storm: the calendar window at 96 dpi, visible, the form closed, the pointer gone.
static void Settle(const Target& t, SharedBlock& block) {
    RECT* suggested = reinterpret_cast<RECT*>(block.Data());
    *suggested = {0, 0, 900, 880};
    Send(t.calendar, WM_DPICHANGED, MAKEWPARAM(96, 96), block.At(0));
    if (!IsWindowVisible(t.calendar)) Send(t.widget, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    if (FieldsVisible(t)) Send(t.calendar, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    Send(t.calendar, WM_MOUSELEAVE, 0, 0);
    PaintNow(t.calendar);
}

static int Fuzz(const Target& t, int count, uint64_t seed) {
    SharedBlock block;
    if (!block.Open(t.process)) return 3;
    const int gdiStart = GdiObjectCount(t.process);
    const DWORD started = GetTickCount();
    Fuzzer fuzzer(t, block, seed);
    DWORD exitCode = STILL_ACTIVE;
    while (fuzzer.Sent() < count && exitCode == STILL_ACTIVE) {
        fuzzer.SendOne();
        if (fuzzer.Sent() % 1000 == 0) GetExitCodeProcess(t.process, &exitCode);
    }
    GetExitCodeProcess(t.process, &exitCode);
    if (exitCode == STILL_ACTIVE) Settle(t, block);
    printf("{\"sent\":%d,\"alive\":%d,\"timeouts\":%d,\"ms\":%lu,\"gdi_start\":%d,\"gdi\":%d,"
           "\"form_open\":%d,\"calendar_visible\":%d,\"recent\":%s}\n",
           fuzzer.Sent(), exitCode == STILL_ACTIVE ? 1 : 0, g_timeouts,
           static_cast<unsigned long>(GetTickCount() - started), gdiStart,
           GdiObjectCount(t.process), FieldsVisible(t) ? 1 : 0,
           IsWindowVisible(t.calendar) ? 1 : 0,
           exitCode == STILL_ACTIVE ? "[]" : fuzzer.Recent().c_str());
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    Target t;
    if (!FindTarget(&t)) return 2;
    const char* command = argv[1];
    if (strcmp(command, "fields") == 0) return Fields(t);
    if (strcmp(command, "resources") == 0) return Resources(t);
    if (strcmp(command, "longuse") == 0 && argc == 6)
        return LongUse(t, atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
    if (strcmp(command, "fuzz") == 0 && argc == 4)
        return Fuzz(t, atoi(argv[2]), strtoull(argv[3], nullptr, 0));
    return 1;
}
