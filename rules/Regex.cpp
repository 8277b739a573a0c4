#include "Regex.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <new>

std::unique_ptr<CRegex> CRegex::Compile(StringView pattern, CString* error) {
    int code = 0;
    PCRE2_SIZE offset = 0;
    // Titles may hold lone surrogates: invalid UTF-16 is matched, never refused.
    const uint32_t options = PCRE2_UTF | PCRE2_CASELESS | PCRE2_MATCH_INVALID_UTF;
    pcre2_code* compiled = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()),
                                         pattern.size(), options, &code, &offset, nullptr);
    if (compiled == nullptr) {
        if (error != nullptr) {
            PCRE2_UCHAR text[256] = {};
            const int n = pcre2_get_error_message(code, text, 256);
            error->Format(_T("%s (at offset %d)"),
                          CString(reinterpret_cast<const WCHAR16*>(text), n > 0 ? n : 0),
                          static_cast<int>(offset));
        }
        return nullptr;
    }
    std::unique_ptr<CRegex> regex(new CRegex);
    regex->m_pCode = compiled;
    // One pair: only whether it occurs is asked.
    regex->m_pData = pcre2_match_data_create(1, nullptr);
    regex->m_pContext = pcre2_match_context_create(nullptr);
    if (regex->m_pData == nullptr || regex->m_pContext == nullptr)
        throw std::bad_alloc();
    pcre2_set_match_limit(regex->m_pContext, kMatchLimit);
    pcre2_set_depth_limit(regex->m_pContext, kDepthLimit);
    return regex;
}

CRegex::~CRegex() {
    pcre2_match_context_free(m_pContext);
    pcre2_match_data_free(m_pData);
    pcre2_code_free(m_pCode);
}

bool CRegex::Search(StringView text) const {
    static const WCHAR16 empty[1] = {0};
    const WCHAR16* units = text.empty() ? empty : text.data(); // never a null subject
    m_nLastResult = pcre2_match(m_pCode, reinterpret_cast<PCRE2_SPTR>(units), text.size(), 0, 0,
                                m_pData, m_pContext);
    return m_nLastResult > 0;
}
