#include "Match.h"

bool RuleTextsMatch(const CRuleSet& rules, int i, const CWindowSnapshot& window) {
    const CRuleKey& key = rules.Keys()[static_cast<size_t>(i)];
    const CRule& rule = rules.GetAt(i);
    if ((key.flags & CRuleKey::kTitle) && !SameText(rule.m_strTitle.View(), window.strTitle))
        return false;
    if ((key.flags & CRuleKey::kClass) && !SameText(rule.m_strClass.View(), window.strClass))
        return false;
    const std::uint32_t textFlags = key.TextFlags();
    if (textFlags == 0)
        return true;
    const CRulePatterns& patterns = rules.PatternsAt(i);
    if ((textFlags & CRuleKey::kTitle) &&
        !TextMatches(rule.m_strTitle.View(), rule.m_titleMode, patterns.title.get(),
                     window.strTitle, false))
        return false;
    if ((textFlags & CRuleKey::kClass) &&
        !TextMatches(rule.m_strClass.View(), rule.m_classMode, patterns.windowClass.get(),
                     window.strClass, false))
        return false;
    if (textFlags & CRuleKey::kProcess) {
        // An unknown image matches no program.
        if (window.strProcess.empty())
            return false;
        const StringView image = ProcessTextFor(
            rule.m_strProcess.View(), rule.m_processMode == TextMode::Regex, window.strProcess);
        if (!TextMatches(rule.m_strProcess.View(), rule.m_processMode, patterns.process.get(),
                         image, true))
            return false;
    }
    if (textFlags & CRuleKey::kMessage) {
        // Only a dialog has one; one that cannot be read matches no message.
        StringView message;
        if (!SameText(window.strClass, kDialogClass) || window.pMessage == nullptr ||
            !window.pMessage->Read(message) ||
            !TextMatches(rule.m_strMessage.View(), rule.m_messageMode, patterns.message.get(),
                         message, false))
            return false;
    }
    return true;
}
