// CDiskFile: a CFile on disk (Win32).
#pragma once

#include "Archive.h"
