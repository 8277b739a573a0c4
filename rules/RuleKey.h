// The match key of a rule: what a scan needs of it, compact, so that a rule that cannot match
// is rejected without touching its record. A text is known by its length and hash; only equal
// ones are compared in full.
#pragma once

#include "rules/Rule.h"

#include <cstdint>

// FNV-1a over the UTF-16 units.
inline std::uint32_t TextHash(StringView text) {
    std::uint32_t h = 2166136261u;
    for (WCHAR16 unit : text)
        h = (h ^ static_cast<std::uint16_t>(unit)) * 16777619u;
    return h;
}

struct CRuleKey {
    static constexpr std::uint32_t kStyle = 1;
    static constexpr std::uint32_t kExStyle = 2;
    static constexpr std::uint32_t kTitle = 4;
    static constexpr std::uint32_t kClass = 8;
    static constexpr std::uint32_t kLocation = 16;
    static constexpr std::uint32_t kDimensions = 32;
    static constexpr std::uint32_t kProcess = 64;
    // Set on a disabled rule and failed by every window.
    static constexpr std::uint32_t kDisabled = 128;
    // A dialog's message: a text criterion only, compared after every other.
    static constexpr std::uint32_t kMessage = 256;
    // The whole key of a rule that may not act: it admits no window.
    static constexpr std::uint32_t kNothing = kDisabled;
    // The criteria compared through the compact values alone.
    static constexpr std::uint32_t kCompact = 63;

    // Criteria checked against the compact values: a failed one leaves its bit.

    std::uint32_t flags = 0;
    // KeySignature of the compact criteria: a window whose values pass them has the same one.
    std::uint32_t signature = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG left = 0;
    LONG top = 0;
    DWORD width = 0;
    DWORD height = 0;
    std::uint32_t titleLength = 0;
    std::uint32_t titleHash = 0;
    std::uint32_t classLength = 0;
    std::uint32_t classHash = 0;
    // Criteria compared through the rule's texts (patterns, the program, the message), kTitle,
    // kClass, kProcess or kMessage shifted into the flags' upper bits: the key stays small.
    static constexpr int kTextShift = 8;
    std::uint32_t TextFlags() const { return flags >> kTextShift; }

    static CRuleKey Of(const CRule& rule);
};

// A hash of the values that the criteria in `compact` compare, for a rule's key and a window's
// alike. Each step is a bijection of the hash so far, so values that differ in one criterion
// never share a signature; a scan rejects most rules by it alone.
template <class Values> std::uint32_t KeySignature(std::uint32_t compact, const Values& v) {
    std::uint32_t h = 2166136261u ^ compact;
    const auto mix = [&h](std::uint32_t value) { h = (h ^ value) * 16777619u; };
    if (compact & CRuleKey::kStyle)
        mix(v.style);
    if (compact & CRuleKey::kExStyle)
        mix(v.exStyle);
    if (compact & CRuleKey::kTitle) {
        mix(v.titleLength);
        mix(v.titleHash);
    }
    if (compact & CRuleKey::kClass) {
        mix(v.classLength);
        mix(v.classHash);
    }
    if (compact & CRuleKey::kLocation) {
        mix(static_cast<std::uint32_t>(v.left));
        mix(static_cast<std::uint32_t>(v.top));
    }
    if (compact & CRuleKey::kDimensions) {
        mix(v.width);
        mix(v.height);
    }
    return h;
}
