// The question before Quellix ends a program that stopped answering: which program, where it
// lies, its windows, how long it has not answered, and what is lost.
#pragma once

#include "engine/Escalation.h"

// The box's caption.
inline constexpr const WCHAR16* kEndQuestionCaption = _T("End Program - Quellix by Velmora");
CString EndQuestionText(const CProgramToEnd& program);
