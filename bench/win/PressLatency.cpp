// Time from a message box's foreground event to the return of its MessageBox, the box
// answered No by its button's text: the real main dialog (in this process) with one press
// rule, against BarePresser.exe, which only hooks, finds the button and posts its click. The
// phases alternate, so that both see the same machine. Then the WM_GETTEXT sends of a rule
// with a message criterion: for boxes that its other criteria refuse, and for boxes they admit.
//   PressLatency.exe [boxes per phase, default 50] [rounds, default 3]
#include "engine/win/DialogControls.h"
#include "framework/win/App.h"
#include "framework/win/Handle.h"
#include "res/resource.h"
#include "support/Driver.h"
#include "ui/win/QuellixDlg.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace qt;

namespace {

class BenchApp : public CWinApp {
public:
    BenchApp() {
        m_strAppName = L"Quellix by Velmora";
        SetRegistryKey(L"Velmora");
    }
} theBenchApp;

constexpr wchar_t kCaption[] = L"Press latency";

// PressTarget.exe shows `boxes` boxes while this thread pumps messages; their latencies in
// microseconds, each checked to have been answered No.
std::vector<long long> Measure(int boxes) {
    WaitFor([] { return false; }, 300); // a phase's start settles first
    const std::wstring log = BinaryPath(L"press-latency.log");
    ::DeleteFileW(log.c_str());
    Process target;
    if (!target.Start(L"\"" + BinaryPath(L"PressTarget.exe") + L"\" \"" + log + L"\" " +
                      std::to_wstring(boxes) + L" \"" + kCaption + L"\"")) {
        std::printf("PressTarget.exe did not start\n");
        std::exit(1);
    }
    const CKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, target.Id()));
    const HANDLE wait = process.Get();
    const ULONGLONG deadline = ::GetTickCount64() + 10000ull * static_cast<ULONGLONG>(boxes);
    while (::MsgWaitForMultipleObjects(1, &wait, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0) {
        PumpMessages();
        if (::GetTickCount64() > deadline) {
            std::printf("the boxes were not answered\n");
            std::exit(1);
        }
    }
    std::vector<long long> samples;
    const std::vector<BYTE> bytes = ReadFileBytes(log);
    long long us = 0, result = 0;
    long long* field = &us;
    for (BYTE b : bytes) {
        if (b == ' ') {
            field = &result;
        } else if (b == '\n') {
            if (result != IDNO) {
                std::printf("a box returned %lld\n", result);
                std::exit(1);
            }
            samples.push_back(us);
            us = result = 0;
            field = &us;
        } else {
            *field = *field * 10 + (b - '0');
        }
    }
    return samples;
}

// The press rule, or with `message` a rule with a message criterion whose title admits the
// boxes or not.
CRule PressRule(bool message = false, bool titleMatches = true) {
    CRule rule;
    rule.m_strClass = L"#32770";
    rule.m_bMatchDimensions = rule.m_bMatchStyle = rule.m_bMatchExStyle = FALSE;
    rule.m_bMatchTitle = TRUE;
    rule.m_strTitle = titleMatches ? kCaption : L"Another caption";
    rule.m_nDelayMs = 0;
    rule.m_action = ERuleAction::Press;
    rule.m_strButton = L"No";
    if (message) {
        rule.m_bMatchMessage = TRUE;
        rule.m_strMessage = L"changes";
    }
    return rule;
}

// The main dialog with `rule`, while `boxes` boxes are shown; with `presser`, BarePresser.exe
// answers them instead.
std::vector<long long> MeasureWith(const CRule* rule, bool presser, int boxes) {
    ResetDataFolder();
    std::unique_ptr<CQuellixDlg> dlg;
    if (rule != nullptr) {
        dlg = std::make_unique<CQuellixDlg>();
        g_pMainDlg = dlg.get();
        if (!dlg->Create(IDD_QUELLIX_DIALOG)) {
            std::printf("no dialog\n");
            std::exit(1);
        }
        dlg->AppendRuleRow(*rule);
    }
    Process bare;
    if (presser &&
        (!bare.Start(L"\"" + BinaryPath(L"BarePresser.exe") + L"\"") || !bare.WaitIdle(10000))) {
        std::printf("BarePresser.exe did not start\n");
        std::exit(1);
    }
    std::vector<long long> samples = Measure(boxes);
    if (dlg) {
        ::DestroyWindow(dlg->m_hWnd);
        g_pMainDlg = nullptr;
    }
    return samples;
}

long long Median(std::vector<long long> s) {
    std::sort(s.begin(), s.end());
    return s[s.size() / 2];
}

void Print(const char* name, std::vector<long long> s, long long bare) {
    std::sort(s.begin(), s.end());
    long long sum = 0;
    for (long long v : s)
        sum += v;
    std::printf("%-10s n=%4zu  median %6lld us  mean %6lld us  p90 %6lld us  min %6lld us"
                "  /bare %.2f\n",
                name, s.size(), s[s.size() / 2], sum / static_cast<long long>(s.size()),
                s[s.size() * 9 / 10], s.front(), static_cast<double>(s[s.size() / 2]) / bare);
}

} // namespace

int main(int argc, char** argv) {
    const int boxes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    ResetProfile();
    ResetDataFolder();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    const CRule press = PressRule();
    std::vector<long long> quellix, bare;
    for (int round = 0; round < rounds; ++round) {
        const auto q = MeasureWith(&press, false, boxes);
        const auto b = MeasureWith(nullptr, true, boxes);
        quellix.insert(quellix.end(), q.begin(), q.end());
        bare.insert(bare.end(), b.begin(), b.end());
    }
    const long long bareMedian = Median(bare);
    std::printf("a shown Yes/No box to its return, answered No by the button's text:\n");
    Print("quellix", quellix, bareMedian);
    Print("bare", bare, bareMedian);

    // The message is read only for a window that the rule's other criteria admit.
    const CRule refused = PressRule(true, false);
    std::uint64_t before = MessageTextSends();
    MeasureWith(&refused, true, boxes);
    std::printf("WM_GETTEXT sends, message rule whose title does not match, %d boxes: %llu\n",
                boxes, static_cast<unsigned long long>(MessageTextSends() - before));
    const CRule admitted = PressRule(true, true);
    before = MessageTextSends();
    MeasureWith(&admitted, false, boxes);
    std::printf("WM_GETTEXT sends, message rule that matches and presses, %d boxes: %llu\n", boxes,
                static_cast<unsigned long long>(MessageTextSends() - before));
    return 0;
}
