#include "RuleCells.h"
