// Where the rule file lies: path arithmetic without the shell.
#pragma once

#include "framework/String.h"
