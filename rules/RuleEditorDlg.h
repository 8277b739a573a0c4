// CDlgAutoCloseWindow: the rule editor.
#pragma once

#include "framework/Dialog.h"
