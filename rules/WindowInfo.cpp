#include "WindowInfo.h"

#include "framework/Archive.h"

// Serialisation belongs with the rule file; a stub until it lands.
void CWindowInfo::Serialize(CArchive&) {}
