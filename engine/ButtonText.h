// A dialog button's text, as a rule names it: compared as the user reads it on the button.
#pragma once

#include "framework/String.h"
#include "rules/Regex.h"
#include "rules/Rule.h"

// The text as the button shows it: its `&` mnemonic marks gone (`&&` shows one `&`), without
// the blanks around it.
CString ShownButtonText(StringView text);
// The shown text without a trailing "..." or "…": what a rule's button text is compared with.
CString ComparedButtonText(StringView text);
// Whether the button's text matches the rule's, ignoring case, marks, blanks and trailing dots:
// equal, contained, a whole-text wildcard or a regular expression (`regex`: the rule's
// compiled one, null when it did not compile). The rule's text is taken as shown too, except
// as a pattern.
bool ButtonTextMatches(StringView ruleText, TextMode mode, const CRegex* regex,
                       StringView buttonText);
// The English text of a standard button id (IDOK 1 ... IDCONTINUE 11); empty for any other.
const WCHAR16* StandardButtonName(int id);
