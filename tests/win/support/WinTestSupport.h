// Support for the Windows tests.
#pragma once

#include <windows.h>

#include <string>

// The folder of the running test program, where Quellix.exe and the helpers are built too.
std::wstring TestBinaryDir();
