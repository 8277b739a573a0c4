// Start of the main dialog with a large rule file: from just before its creation (which loads
// Data.dat) to the end of the rule list's first WM_PAINT, shown and updated as the program
// shows it. Also the load alone, and, for comparison, the list as it was before it showed the
// rule set: a row with its cell texts inserted per rule.
//   RuleListPaintBench.exe [rules, default 10000] [rounds, default 5]
#include "bench/win/PerRowList.h"
#include "bench/win/ThreadHook.h"
#include "res/resource.h"
#include "rules/DataFilePath.h"
#include "rules/RuleCells.h"
#include "rules/RuleFile.h"
#include "rules/RuleSet.h"
#include "support/Driver.h"
#include "support/InProcessApp.h"
#include "ui/win/QuellixDlg.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

using namespace qt;
using Clock = std::chrono::steady_clock;

namespace {

CInProcessTestApp theBenchApp;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

struct CPaintTimes {
    Clock::time_point begin; // of the first WM_PAINT
    Clock::time_point end;
};

// Notes the first WM_PAINT of a window in the CPaintTimes that `ref` points to.
LRESULT CALLBACK NotePaint(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto& times = *reinterpret_cast<CPaintTimes*>(ref);
    const bool first = msg == WM_PAINT && times.end == Clock::time_point{};
    if (first)
        times.begin = Clock::now();
    const LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
    if (first)
        times.end = Clock::now();
    return result;
}

// Shows the top-level window as the program shows its dialog; when its list was painted.
CPaintTimes ShowAndWaitPaint(HWND top, HWND list) {
    CPaintTimes times;
    ::SetWindowSubclass(list, NotePaint, 1, reinterpret_cast<DWORD_PTR>(&times));
    ::ShowWindow(top, SW_SHOW);
    ::UpdateWindow(top);
    if (!WaitFor([&] { return times.end != Clock::time_point{}; })) {
        std::printf("the rule list was not painted within 10 s\n");
        std::exit(1);
    }
    ::RemoveWindowSubclass(list, NotePaint, 1);
    return times;
}

// When the dialog gave its rule list the rule count: the end of the load.
Clock::time_point g_counted;

LRESULT CALLBACK NoteCount(int code, WPARAM wp, LPARAM lp) {
    const CWPSTRUCT& m = *reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && m.message == LVM_SETITEMCOUNT &&
        ::GetDlgCtrlID(m.hwnd) == IDC_LIST_RULES)
        g_counted = Clock::now();
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

void WriteRuleFile(int count) {
    CRuleSet rules;
    for (int i = 0; i < count; ++i) {
        auto rule = std::make_unique<CRule>();
        rule->m_strTitle.Format(L"Rule window %d", i);
        rule->m_strClass.Format(L"QxBenchClass%d", i % 97);
        rule->m_rcWindow = RECT{i % 640, i % 480, i % 640 + 300, i % 480 + 200};
        rule->m_dwStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        rule->m_bMatchTitle = i % 2;
        rule->m_nDelayMs = (i % 3) * 100;
        rules.Add(*rule);
    }
    if (!CRuleFile(GetDataFilePath()).Save(rules).saved) {
        std::printf("Data.dat not written\n");
        std::exit(1);
    }
}

double LoadAlone() {
    CRuleSet rules;
    const auto start = Clock::now();
    CRuleFile(GetDataFilePath()).Load(rules);
    return Ms(start, Clock::now());
}

// The start of the main dialog, in the order of events.
struct CDialogStart {
    Clock::time_point start;   // before Create
    Clock::time_point counted; // the end of the load: the rule list has its count
    Clock::time_point created; // Create returned
    CPaintTimes paint;         // of the rule list, after ShowWindow and UpdateWindow
};

CDialogStart DialogStart(int rules) {
    CQuellixDlg dlg;
    g_pMainDlg = &dlg;
    CDialogStart times;
    CThreadHook hook = HookThisThread(WH_CALLWNDPROC, NoteCount);
    times.start = Clock::now();
    const BOOL created = dlg.Create(IDD_QUELLIX_DIALOG);
    times.created = Clock::now();
    times.counted = g_counted;
    hook.Reset();
    if (!created || dlg.RuleList().GetItemCount() != rules) {
        std::printf("the dialog shows %d rules\n", created ? dlg.RuleList().GetItemCount() : -1);
        std::exit(1);
    }
    times.paint = ShowAndWaitPaint(dlg.m_hWnd, dlg.RuleList());
    ::DestroyWindow(dlg.m_hWnd);
    g_pMainDlg = nullptr;
    return times;
}

// The load, then a row per rule with its cell texts, inserted with drawing off, then the
// first paint of a list of the same size in a window of its own.
double PerRowList() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.lpszClassName = L"QxPerRowList";
    ::RegisterClassW(&wc);
    const HWND top = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 800,
                                       600, nullptr, nullptr, nullptr, nullptr);
    CListCtrl list;
    list.m_hWnd =
        ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT,
                          10, 300, 760, 250, top, nullptr, nullptr, nullptr);
    for (int c = 0; c < kRecordColumnCount; ++c)
        list.InsertColumn(c, kRecordColumns[c].caption, kRecordColumns[c].format,
                          kRecordColumns[c].defaultWidth);
    list.InsertColumn(kRecordColumnCount, kDelayColumn.caption, kDelayColumn.format,
                      kDelayColumn.defaultWidth);

    const auto start = Clock::now();
    CRuleSet rules;
    CRuleFile(GetDataFilePath()).Load(rules);
    {
        CRedrawOff off(list);
        for (int row = 0; row < rules.GetCount(); ++row) {
            InsertRow(list, row, RowNumberText(row));
            for (int c = 1; c < kRuleColumnCount; ++c)
                SetRowText(list, row, c, RuleCellText(rules.GetAt(row), c));
        }
    }
    const CPaintTimes paint = ShowAndWaitPaint(top, list);
    ::DestroyWindow(top);
    return Ms(start, paint.end);
}

void Print(const char* name, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-50s %8.1f ms  %8.1f ms\n", name, ms[ms.size() / 2], ms.front());
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    ResetProfile();
    ResetDataFolder();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);

    // Durations in ms, by name, in the order they are printed.
    std::vector<std::pair<const char*, std::vector<double>>> rows;
    auto add = [&rows](const char* name, double ms) {
        auto it = std::find_if(rows.begin(), rows.end(),
                               [&](auto& r) { return std::string_view(r.first) == name; });
        if (it == rows.end())
            it = rows.insert(rows.end(), {name, {}});
        it->second.push_back(ms);
    };
    WriteRuleFile(count);
    for (int r = 0; r < rounds; ++r) {
        add("load alone (CRuleFile::Load)", LoadAlone());
        const CDialogStart d = DialogStart(count);
        add("before Create to the rule list painted", Ms(d.start, d.paint.end));
        add("  Create up to the end of the load", Ms(d.start, d.counted));
        add("  end of the load to the rule list painted", Ms(d.counted, d.paint.end));
        add("    rest of Create (watcher, tray icon)", Ms(d.counted, d.created));
        add("    ShowWindow, UpdateWindow to the list's paint", Ms(d.created, d.paint.begin));
        add("    the rule list's first WM_PAINT", Ms(d.paint.begin, d.paint.end));
        // The same dialog without rules: what the rule list adds is the difference.
        WriteRuleFile(0);
        const CDialogStart e = DialogStart(0);
        add("no rules: before Create to the rule list painted", Ms(e.start, e.paint.end));
        add("no rules: the rule list's first WM_PAINT", Ms(e.paint.begin, e.paint.end));
        WriteRuleFile(count);
        add("per-row list: load, rows, to painted", PerRowList());
    }
    std::printf("%d rules, %d rounds%*s median        best\n", count, rounds, 37, "");
    for (auto& [name, ms] : rows)
        Print(name, ms);

    ResetProfile();
    ResetDataFolder();
    return 0;
}
