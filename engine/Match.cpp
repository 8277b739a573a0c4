#include "Match.h"
