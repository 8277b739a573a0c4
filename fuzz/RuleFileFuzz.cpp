// Loads a rule file from arbitrary bytes. What loads must store and load back to the same
// records, and storing those again must give the same bytes. The rule tool's check of the
// bytes must agree with what loaded.
#include "framework/Archive.h"
#include "rules/RuleSet.h"
#include "tools/rules/RuleCheck.h"

#include <cstdlib>
#include <vector>

namespace {

// Loads as the program does; false when the file is damaged. Only whole records stay.
bool LoadAll(const void* data, size_t size, CRuleSet& out) {
    CMemFile file(data, size);
    CArchive ar(&file, CArchive::load);
    return out.Load(ar).IsComplete();
}

// The check is the load's verdict: the same records, damaged exactly when the load says so.
bool CheckAgrees(const CRuleFileCheck& check, bool loaded, int count) {
    return count == check.complete && loaded == check.Readable() &&
           (!loaded || count == check.count) && check.offset <= check.size;
}

std::vector<BYTE> StoreAll(const CRuleSet& rules) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    rules.Store(ar);
    ar.Close();
    return file.Data();
}

bool Same(const CRule& a, const CRule& b) {
    return a.m_strTitle == b.m_strTitle && a.m_strClass == b.m_strClass &&
           a.m_rcWindow.left == b.m_rcWindow.left && a.m_rcWindow.top == b.m_rcWindow.top &&
           a.m_rcWindow.right == b.m_rcWindow.right && a.m_rcWindow.bottom == b.m_rcWindow.bottom &&
           a.m_dwStyle == b.m_dwStyle && a.m_dwExStyle == b.m_dwExStyle &&
           a.m_bMatchTitle == b.m_bMatchTitle && a.m_bMatchClass == b.m_bMatchClass &&
           a.m_bMatchLocation == b.m_bMatchLocation &&
           a.m_bMatchDimensions == b.m_bMatchDimensions && a.m_bMatchStyle == b.m_bMatchStyle &&
           a.m_bMatchExStyle == b.m_bMatchExStyle && a.m_nDelayMs == b.m_nDelayMs &&
           a.m_strName == b.m_strName && a.m_strProcess == b.m_strProcess &&
           a.m_bEnabled == b.m_bEnabled && a.m_bMatchProcess == b.m_bMatchProcess &&
           a.m_titleMode == b.m_titleMode && a.m_classMode == b.m_classMode &&
           a.m_processMode == b.m_processMode && a.m_dwTriggers == b.m_dwTriggers &&
           a.m_action == b.m_action;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRuleSet first;
    const bool loaded = LoadAll(data, size, first);
    const CRuleFileCheck check = CheckRuleFile(data, size);
    if (!CheckAgrees(check, loaded, first.GetCount()) ||
        DescribeCheck(check).empty() != (check.result == CRuleFileCheck::Result::Sound))
        std::abort();
    // Every record needs at least its 52 bytes of integers.
    if (static_cast<size_t>(first.GetCount()) * 52 > size)
        std::abort();

    const std::vector<BYTE> stored = StoreAll(first);
    CRuleSet second;
    LoadAll(stored.data(), stored.size(), second);
    if (second.GetCount() != first.GetCount())
        std::abort();
    for (int i = 0; i < first.GetCount(); ++i)
        if (!Same(first.GetAt(i), second.GetAt(i)))
            std::abort();
    if (StoreAll(second) != stored)
        std::abort();
    return 0;
}
