#include "DiskFile.h"
