#include "RuleFilePath.h"
