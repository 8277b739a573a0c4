#include "Report.h"
