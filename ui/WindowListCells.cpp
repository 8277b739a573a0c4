#include "WindowListCells.h"
