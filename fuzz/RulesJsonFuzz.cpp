// Reads arbitrary bytes as the rule tool's JSON. What it accepts must write back as a document
// that reads to the same rules, through the rule file too, and writing is stable.
#include "framework/Archive.h"
#include "rules/RuleSet.h"
#include "tools/rules/RulesJson.h"

#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRuleSet rules;
    std::string error;
    if (!RulesFromJson(std::string_view(reinterpret_cast<const char*>(data), size), rules, error)) {
        if (error.empty() || rules.GetCount() != 0)
            std::abort();
        return 0;
    }
    const std::string json = RulesToJson(rules);
    CRuleSet again;
    if (!RulesFromJson(json, again, error) || RulesToJson(again) != json)
        std::abort();

    CMemFile file;
    CArchive store(&file, CArchive::store);
    again.Store(store);
    store.Close();
    CMemFile image(file.Data().data(), file.Data().size());
    CArchive load(&image, CArchive::load);
    CRuleSet loaded;
    loaded.Load(load);
    if (RulesToJson(loaded) != json)
        std::abort();
    return 0;
}
