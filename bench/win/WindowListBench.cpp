// Measures a window-list refresh and the drawing of its visible rows against the bare
// enumeration and against the same window queries without the list view. Every window has an
// icon of its own (no two rows can share an image). Under Wine, with the test display of a
// build folder:
//   tests/win/fixture.sh start build/windows64
//   scripts/wine-run.sh build/windows64 build/windows64/bin/WindowListBench.exe [WINDOWS [RUNS]]
//   tests/win/fixture.sh stop build/windows64
#include "framework/win/App.h"
#include "res/resource.h"
#include "ui/win/QuellixDlg.h"
#include "ui/WindowListCells.h"
#include "support/Icons.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

class CBenchApp : public CWinApp {
public:
    CBenchApp() {
        m_strAppName = L"Quellix by Velmora";
        m_hInstance = ::GetModuleHandleW(nullptr);
        SetRegistryKey(L"VelmoraBench"); // keeps the real profile untouched
    }
};
CBenchApp theBenchApp;

int kWindows = 300;
int kRuns = 15;

void Pump() {
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&m);
}

struct CPhase {
    const char* name;
    std::function<void()> work;
    std::function<void()> before; // untimed, ahead of each run
    std::vector<double> ms;
};

// Runs the phases in turn, round after round, so that a burst of load on the machine hits
// them alike; then prints each phase's median and best run, the best also as a multiple of the
// best run of the phase `baseline`.
void Measure(std::vector<CPhase>& phases, size_t baseline) {
    for (int run = 0; run < kRuns; ++run)
        for (CPhase& p : phases) {
            p.before();
            auto start = std::chrono::steady_clock::now();
            p.work();
            p.ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    for (CPhase& p : phases)
        std::sort(p.ms.begin(), p.ms.end());
    const double base = phases[baseline].ms[0];
    std::printf("%d runs each:                          median       best   best/baseline\n",
                kRuns);
    for (CPhase& p : phases)
        std::printf("  %-36s %8.2f ms %8.2f ms %7.1fx\n", p.name, p.ms[p.ms.size() / 2], p.ms[0],
                    p.ms[0] / base);
}

// What a refresh asks of each window, without a list view or an image list.
BOOL CALLBACK QueryWindow(HWND hwnd, LPARAM lParam) {
    auto* listed = reinterpret_cast<int*>(lParam);
    CWindowListOptions options;
    CWindowFacts facts;
    ::GetWindowRect(hwnd, &facts.rect);
    facts.enabled = ::IsWindowEnabled(hwnd);
    facts.visible = ::IsWindowVisible(hwnd);
    facts.style = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
    if (FilterWindow(options, facts) != WindowFilter::Listed)
        return TRUE;
    auto record = std::make_unique<CWindowInfo>();
    record->m_hWnd = hwnd;
    record->m_rcWindow = facts.rect;
    record->m_dwStyle = facts.style;
    record->m_dwExStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
    WCHAR text[256] = {};
    ::InternalGetWindowText(hwnd, text, 256);
    record->m_strTitle = text;
    WCHAR cls[512] = {};
    ::GetClassNameW(hwnd, cls, 511);
    record->m_strClass = cls;
    HICON icon = LookUpIcon<HICON>(
        [hwnd](int which) {
            DWORD_PTR result = 0;
            LRESULT ok = ::SendMessageTimeoutW(hwnd, WM_GETICON, static_cast<WPARAM>(which), 0,
                                               SMTO_ABORTIFHUNG, 100, &result);
            return CIconAnswer<HICON>{ok != 0, reinterpret_cast<HICON>(result)};
        },
        [hwnd](int index) { return reinterpret_cast<HICON>(::GetClassLongPtrW(hwnd, index)); });
    CString cells[kWindowListColumnCount] = {RowNumberText(*listed)};
    for (int column = 1; column < kWindowListColumnCount; ++column)
        cells[column] = RecordCellText(*record, column);
    if (icon != nullptr && !cells[0].IsEmpty())
        ++*listed;
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND, LPARAM lParam) {
    ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1)
        kWindows = _wtoi(argv[1]);
    if (argc > 2)
        kRuns = _wtoi(argv[2]);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuellixBenchTarget";
    ::RegisterClassExW(&wc);

    std::vector<HICON> icons;
    std::vector<HWND> windows;
    for (int i = 0; i < kWindows; ++i) {
        WCHAR caption[32];
        CString c;
        c.Format(L"Bench window %d", i);
        lstrcpynW(caption, c, 32);
        // Tool windows: the desktop's taskbar would otherwise busy itself with 300 buttons.
        HWND h = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, caption,
                                   WS_POPUP | WS_VISIBLE | WS_CAPTION, 20 + i % 40, 20 + i % 30,
                                   200, 100, nullptr, nullptr, wc.hInstance, nullptr);
        icons.push_back(SolidIcon(RGB(i % 256, (i / 256) * 64, 128)));
        ::SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.back()));
        windows.push_back(h);
    }

    CQuellixDlg dlg;
    if (!dlg.Create(IDD_QUELLIX_DIALOG)) {
        std::printf("dialog not created\n");
        return 1;
    }
    dlg.ShowWindow(SW_SHOW);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);

    auto pump = Pump;
    // Let the new windows paint and the desktop settle before anything is timed.
    for (auto settled = std::chrono::steady_clock::now() + std::chrono::seconds(2);
         std::chrono::steady_clock::now() < settled;) {
        pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    int total = 0;
    ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&total));
    CListCtrl& list = dlg.WindowList();
    dlg.ClearRecordList();
    CQuellixDlg* d = &dlg;
    auto setIcons = [d](BOOL on) {
        return [d, on] {
            Pump();
            if (::IsDlgButtonChecked(d->m_hWnd, IDC_DISPLAY_ICON) != static_cast<UINT>(on))
                ::SendMessageW(d->GetDlgItem(IDC_DISPLAY_ICON), BM_CLICK, 0, 0);
            Pump();
        };
    };
    // Refreshes, then draws the list as the next paint would: the visible rows only.
    auto refreshAndDraw = [d, &list] {
        d->RefreshWindowList();
        ::UpdateWindow(list);
    };
    std::vector<CPhase> phases = {
        {"bare enumeration",
         [] {
             int n = 0;
             ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&n));
         },
         Pump,
         {}},
        {"enumeration + the same queries",
         [] {
             int n = 0;
             ::EnumWindows(QueryWindow, reinterpret_cast<LPARAM>(&n));
         },
         Pump,
         {}},
        // What copying every window's icon would cost: the image list alone.
        {"image list alone (a copy per window)",
         [&icons] {
             CImageList images;
             images.Create(16, 16, 0, 0, 32);
             for (HICON icon : icons)
                 images.Add(icon);
         },
         Pump,
         {}},
        {"refresh with icons", [d] { d->RefreshWindowList(); }, setIcons(TRUE), {}},
        {"refresh without icons", [d] { d->RefreshWindowList(); }, setIcons(FALSE), {}},
        {"refresh + draw with icons", refreshAndDraw, setIcons(TRUE), {}},
        {"refresh + draw without icons", refreshAndDraw, setIcons(FALSE), {}},
        // The drawing alone: the rows keep the images found on their first draw.
        {"redraw of the same rows, with icons",
         [&list] {
             ::InvalidateRect(list, nullptr, TRUE);
             ::UpdateWindow(list);
         },
         setIcons(TRUE),
         {}},
    };
    setIcons(TRUE)();
    refreshAndDraw();
    std::printf("top-level windows: %d enumerated, %d listed, %d visible; images after drawing: "
                "%d\n",
                total, list.GetItemCount(), static_cast<int>(list.SendMessage(LVM_GETCOUNTPERPAGE)),
                ::ImageList_GetImageCount(
                    reinterpret_cast<HIMAGELIST>(list.SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL))));
    Measure(phases, 1);

    ::DestroyWindow(dlg.m_hWnd);
    for (HWND h : windows)
        ::DestroyWindow(h);
    for (HICON i : icons)
        ::DestroyIcon(i);
    return 0;
}
