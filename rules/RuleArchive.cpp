#include "RuleArchive.h"

#include "framework/Archive.h"

void LoadRules(CArchive& ar, const std::function<void(std::unique_ptr<CWindowInfo>)>& append) {
    int count = 0;
    ar >> count;
    for (int i = 0; i < count; ++i) {
        auto rule = std::make_unique<CWindowInfo>();
        rule->Serialize(ar);
        append(std::move(rule));
    }
}

void StoreRules(CArchive& ar, int count, const std::function<const CWindowInfo&(int)>& rule) {
    ar << count;
    for (int i = 0; i < count; ++i)
        rule(i).Store(ar);
}
