// quellix-rules: its commands and their arguments, apart from the platform it runs on.
#pragma once

#include "engine/Match.h"
#include "framework/String.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What the commands need of the platform.
class CRulesHost {
public:
    virtual ~CRulesHost() = default;
    virtual void Out(std::string_view utf8) = 0;
    virtual void Err(std::string_view utf8) = 0;
    // All of standard input; false when it could not be read.
    virtual bool ReadInput(std::string& bytes) = 0;
    // The user's rule file; empty where the platform has none.
    virtual CString DefaultRuleFile() = 0;
    // Calls `each` with every visible top-level window, or with every one when `hidden`; false
    // where the platform has no windows to list.
    virtual bool ForEachWindow(bool hidden,
                               const std::function<void(const CWindowSnapshot&)>& each) = 0;
};

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; // a file could not be read or written, or is damaged
inline constexpr int kExitUsage = 2;

// Runs one command line, given without the program's name; returns the exit code.
int RunRulesTool(const std::vector<CString>& args, CRulesHost& host);
