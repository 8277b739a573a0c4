#include "Commands.h"

#include "RuleCheck.h"
#include "RuleTable.h"
#include "RulesJson.h"
#include "framework/DiskFile.h"
#include "framework/Parse.h"
#include "framework/Utf8.h"
#include "rules/RuleFile.h"
#include "rules/RuleFields.h"
#include "rules/RuleSet.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr char kProgram[] = "quellix-rules";

constexpr char kUsage[] =
    R"(Usage: quellix-rules COMMAND [ARGUMENTS]

Reads, checks and changes Quellix's rule file (Data.dat).

Commands:
  list [FILE] [--json]     show the rules as the rule list does
  check FILE               check that FILE is a sound rule file
  export FILE              write the rules of FILE as JSON to standard output
  import JSON --out FILE   write the rules of a JSON document to FILE
  add FILE [CRITERIA]      append a rule to FILE
  remove FILE N            remove rule N (as Sr shows it) from FILE
  enable FILE N            switch rule N on
  disable FILE N           switch rule N off
  match [FILE] [--all]     show the open windows that the rules match (Windows)

On Windows FILE defaults to the user's Data.dat; elsewhere it must be given.
'quellix-rules COMMAND --help' describes a command.

Exit status: 0 done; 1 a file could not be read or written, or is damaged;
2 wrong usage.
)";

struct COption {
    const char* name;
    bool takesValue;
    bool required = false;
};

struct CArgs {
    std::vector<CString> positional;
    std::vector<std::pair<std::string, CString>> options;

    const CString* Get(std::string_view name) const {
        for (const auto& option : options)
            if (option.first == name)
                return &option.second;
        return nullptr;
    }
    bool Has(std::string_view name) const { return Get(name) != nullptr; }
};

struct CCommand {
    const char* name;
    size_t minArgs;
    size_t maxArgs;
    std::vector<COption> options;
    const char* help;
    int (*run)(const CArgs&, CRulesHost&);
};

std::string Utf8(const CString& text) {
    return ToUtf8(text.View());
}

void Error(CRulesHost& host, const std::string& message) {
    host.Err(std::string(kProgram) + ": " + message + "\n");
}

// A value that the command cannot take: the message and where to read more.
int ValueError(CRulesHost& host, const char* command, const std::string& message) {
    Error(host, message);
    host.Err(std::string("Try '") + kProgram + " " + command + " --help'.\n");
    return kExitUsage;
}

// ---- Reading and writing rule files

enum class Purpose { Read, Change };

// The file's bytes; false with the reason, which names the file.
bool ReadWholeFile(const CString& path, std::vector<BYTE>& bytes, bool& missing,
                   std::string& error) {
    missing = false;
    CDiskFile file;
    if (!file.Open(path, CDiskFile::modeRead)) {
        const CFileException failure = LastFileError(path);
        missing = file.LastOpenError() == CDiskFile::OpenError::Missing;
        error = missing ? Utf8(path) + ": no such file" : Utf8(failure.GetErrorMessage());
        return false;
    }
    try {
        // Read in place at the size the file has; a file that grows meanwhile is read whole too.
        const std::uint64_t length = file.GetLength();
        bytes.resize(static_cast<size_t>(length < (1u << 30) ? length : 0) + 1);
        size_t filled = 0;
        while (UINT n = file.Read(bytes.data() + filled, static_cast<UINT>(std::min<size_t>(
                                                             bytes.size() - filled, 1u << 30)))) {
            filled += n;
            if (filled == bytes.size())
                bytes.resize(bytes.size() * 2);
        }
        bytes.resize(filled);
        file.Close();
        return true;
    } catch (const CException& e) {
        error = Utf8(e.GetErrorMessage());
    } catch (const std::bad_alloc&) {
        error = "out of memory";
    }
    return false;
}

// Reads every rule of the file into `rules`, or says why not. A missing file is an empty one
// when `missingIsEmpty`. A file is changed only when it was read whole: its bytes after the
// last rule would be lost, so they stop a change.
int LoadRules(CRulesHost& host, const CString& path, Purpose purpose, bool missingIsEmpty,
              CRuleSet& rules) {
    const std::string name = Utf8(path);
    std::vector<BYTE> bytes;
    bool missing = false;
    std::string error;
    if (!ReadWholeFile(path, bytes, missing, error)) {
        if (missing && missingIsEmpty)
            return kExitOk;
        Error(host, error);
        return kExitFailed;
    }
    // `rules` is used only when the check finds every rule whole.
    const CRuleFileCheck check = CheckRuleFile(bytes.data(), bytes.size(), &rules);
    const char* unchanged = "was not read completely, so it is left unchanged";
    if (!check.Readable()) {
        Error(host, name + ": " + DescribeCheck(check));
        if (purpose == Purpose::Change)
            Error(host, name + " " + unchanged);
        return kExitFailed;
    }
    if (check.result == CRuleFileCheck::Result::TrailingBytes) {
        Error(host, name + ": warning: " + DescribeCheck(check));
        if (purpose == Purpose::Change) {
            Error(host, name + " " + unchanged + " ('export' and 'import' write it without them)");
            return kExitFailed;
        }
    }
    return kExitOk;
}

int SaveRules(CRulesHost& host, const CString& path, const CRuleSet& rules) {
    CRuleFile file(path);
    const CRuleFile::CSaveResult result = file.Save(rules);
    if (result.saved)
        return kExitOk;
    Error(host, Utf8(result.message));
    return kExitFailed;
}

// Reads FILE, or the user's rule file when it is left out (a missing one holds no rules).
int LoadRuleFileArgument(const CArgs& args, CRulesHost& host, const char* command,
                         CRuleSet& rules) {
    const bool defaulted = args.positional.empty();
    const CString path = defaulted ? host.DefaultRuleFile() : args.positional[0];
    if (path.IsEmpty())
        return ValueError(host, command, "give FILE: there is no default rule file here");
    return LoadRules(host, path, Purpose::Read, defaulted, rules);
}

// ---- The commands

int RunList(const CArgs& args, CRulesHost& host) {
    CRuleSet rules;
    if (int code = LoadRuleFileArgument(args, host, "list", rules))
        return code;
    const CTextSink out = [&](std::string_view text) { host.Out(text); };
    if (args.Has("json"))
        WriteRuleListJson(rules, out);
    else
        WriteRuleList(rules, out);
    return kExitOk;
}

int RunCheck(const CArgs& args, CRulesHost& host) {
    const CString& path = args.positional[0];
    const std::string name = Utf8(path);
    std::vector<BYTE> bytes;
    bool missing = false;
    std::string error;
    if (!ReadWholeFile(path, bytes, missing, error)) {
        Error(host, error);
        return kExitFailed;
    }
    const CRuleFileCheck check = CheckRuleFile(bytes.data(), bytes.size());
    if (!check.Readable()) {
        host.Err(name + ": " + DescribeCheck(check) + "\n");
        return kExitFailed;
    }
    const std::string counts = std::to_string(check.count) +
                               (check.count == 1 ? " rule in " : " rules in ") +
                               std::to_string(check.size) + " bytes";
    if (check.result == CRuleFileCheck::Result::Sound) {
        host.Out(name + ": sound, " + counts + (check.hasBlock ? ", with rule details" : "") +
                 "\n");
    } else {
        host.Out(name + ": " + counts + "\n");
        host.Err(name + ": warning: " + DescribeCheck(check) + "\n");
    }
    return kExitOk;
}

int RunExport(const CArgs& args, CRulesHost& host) {
    CRuleSet rules;
    if (int code = LoadRules(host, args.positional[0], Purpose::Read, false, rules))
        return code;
    WriteRulesJson(rules, [&](std::string_view text) { host.Out(text); });
    return kExitOk;
}

// Exit 2 naming the rule and why the check refuses it; a rule that matches every window only
// passes with --allow-match-all.
int RefuseProblem(CRulesHost& host, const char* command, int number, const CRule& rule,
                  const CArgs& args) {
    const CString problem = RuleProblem(rule, args.Has("allow-match-all"));
    if (problem.IsEmpty())
        return kExitOk;
    return ValueError(host, command,
                      "rule " + std::to_string(number) + ": " + Utf8(problem) +
                          " Nothing was written (--allow-match-all writes a rule that matches "
                          "every window anyway).");
}

int RunImport(const CArgs& args, CRulesHost& host) {
    const CString* out = args.Get("out");
    const CString& source = args.positional[0];
    std::string text;
    if (source == _T("-")) {
        if (!host.ReadInput(text)) {
            Error(host, "standard input could not be read");
            return kExitFailed;
        }
    } else {
        std::vector<BYTE> bytes;
        bool missing = false;
        std::string error;
        if (!ReadWholeFile(source, bytes, missing, error)) {
            Error(host, error);
            return kExitFailed;
        }
        text.assign(bytes.begin(), bytes.end());
    }
    CRuleSet rules;
    std::string error;
    if (!RulesFromJson(text, rules, error)) {
        Error(host, (source == _T("-") ? std::string("standard input") : Utf8(source)) + ": " +
                        error + "; nothing was written");
        return kExitFailed;
    }
    // The one check of every rule, as 'add', 'enable' and the editor make it.
    for (int i = 0; i < rules.GetCount(); ++i)
        if (int code = RefuseProblem(host, "import", i + 1, rules.GetAt(i), args))
            return code;
    if (int code = SaveRules(host, *out, rules))
        return code;
    host.Out(Utf8(*out) + ": " + std::to_string(rules.GetCount()) +
             (rules.GetCount() == 1 ? " rule written\n" : " rules written\n"));
    return kExitOk;
}

// "A,B": two whole numbers.
bool ParsePair(StringView text, int& a, int& b) {
    const size_t comma = text.find(u',');
    return comma != StringView::npos && ParseInt32(text.substr(0, comma), a) &&
           ParseInt32(text.substr(comma + 1), b);
}

// The rule that the options describe; returns kExitOk or the usage error it reported.
int RuleFromOptions(const CArgs& args, CRulesHost& host, CRule& rule) {
    rule.m_bMatchTitle = rule.m_bMatchClass = rule.m_bMatchLocation = FALSE;
    rule.m_bMatchDimensions = rule.m_bMatchStyle = rule.m_bMatchExStyle = FALSE;
    auto refuse = [&](const std::string& message) { return ValueError(host, "add", message); };

    long long x = 0, y = 0;
    if (const CString* location = args.Get("location")) {
        int a = 0, b = 0;
        if (!ParsePair(location->View(), a, b))
            return refuse("--location: expected X,Y: two whole numbers, like 100,-20");
        x = a;
        y = b;
        rule.m_bMatchLocation = TRUE;
    }
    long long width = 0, height = 0;
    if (const CString* size = args.Get("size")) {
        int a = 0, b = 0;
        if (!ParsePair(size->View(), a, b) || a < 0 || b < 0)
            return refuse("--size: expected W,H: two whole numbers from 0 to 2147483647, "
                          "like 800,600");
        width = a;
        height = b;
        rule.m_bMatchDimensions = TRUE;
    }
    if (x + width > INT_MAX || y + height > INT_MAX)
        return refuse("--location and --size: the right or bottom edge would be beyond "
                      "2147483647");
    rule.m_rcWindow = {static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + width),
                       static_cast<LONG>(y + height)};
    // Every other option sets its field; a criterion's value ticks the criterion.
    for (const CRuleField& field : RuleFields()) {
        const CString* value = field.option != nullptr ? args.Get(field.option) : nullptr;
        if (value == nullptr)
            continue;
        const std::string option = std::string("--") + field.option + ": ";
        const std::string noun = field.noun != nullptr ? field.noun : field.name;
        if (field.notEmpty && value->IsEmpty())
            return refuse(option + "a " + noun + " is never empty");
        if (field.optionMaxUnits > 0 && value->GetLength() > field.optionMaxUnits)
            return refuse(option + "a " + noun + " has at most " +
                          std::to_string(field.optionMaxUnits) + " characters");
        if (field.noLineBreak && value->View().find_first_of(_T("\r\n")) != StringView::npos)
            return refuse(option + "a line break cannot be stored in the rule file");
        CRule set = rule;
        if (!SetFieldFromText(field, set, value->View()) ||
            (field.kind == EFieldKind::Int && FieldNumber(field, set) < field.optionMin)) {
            CRuleField shown = field;
            shown.minValue = std::max(field.minValue, field.optionMin);
            return refuse(option + "expected " + FieldExpects(shown));
        }
        rule = std::move(set);
        if (field.ticks != nullptr)
            FindRuleField(field.ticks)->set(rule, TRUE);
    }
    if (args.Has("disabled"))
        rule.m_bEnabled = FALSE;
    const CString problem = RuleProblem(rule);
    if (!problem.IsEmpty())
        return refuse(Utf8(problem));
    return kExitOk;
}

int RunAdd(const CArgs& args, CRulesHost& host) {
    CRule rule;
    if (int code = RuleFromOptions(args, host, rule))
        return code;
    const CString& path = args.positional[0];
    CRuleSet rules;
    if (int code = LoadRules(host, path, Purpose::Change, true, rules))
        return code;
    const int index = rules.Add(std::move(rule));
    if (int code = SaveRules(host, path, rules))
        return code;
    host.Out(Utf8(path) + ": rule " + std::to_string(index + 1) + " added\n");
    return kExitOk;
}

// The rules of FILE and the rule number N that follows it; kExitOk or the error it reported.
int LoadNumberedRule(const CArgs& args, CRulesHost& host, const char* command, CRuleSet& rules,
                     int& number) {
    const CString& path = args.positional[0];
    if (!ParseInt32(args.positional[1].View(), number) || number < 1)
        return ValueError(host, command, "N must be a rule's number as Sr shows it: 1 or more");
    if (int code = LoadRules(host, path, Purpose::Change, false, rules))
        return code;
    if (number > rules.GetCount())
        return ValueError(host, command,
                          Utf8(path) + " has " + std::to_string(rules.GetCount()) +
                              (rules.GetCount() == 1 ? " rule" : " rules") + ": there is no rule " +
                              std::to_string(number));
    return kExitOk;
}

int RunRemove(const CArgs& args, CRulesHost& host) {
    const CString& path = args.positional[0];
    CRuleSet rules;
    int number = 0;
    if (int code = LoadNumberedRule(args, host, "remove", rules, number))
        return code;
    rules.Remove(number - 1);
    if (int code = SaveRules(host, path, rules))
        return code;
    host.Out(Utf8(path) + ": rule " + std::to_string(number) + " removed, " +
             std::to_string(rules.GetCount()) + " left\n");
    return kExitOk;
}

// Turns rule N on or off.
int SwitchRule(const CArgs& args, CRulesHost& host, bool enable) {
    const char* command = enable ? "enable" : "disable";
    const CString& path = args.positional[0];
    CRuleSet rules;
    int number = 0;
    if (int code = LoadNumberedRule(args, host, command, rules, number))
        return code;
    CRule rule = rules.GetAt(number - 1);
    rule.m_bEnabled = enable ? TRUE : FALSE;
    if (enable)
        if (int code = RefuseProblem(host, command, number, rule, args))
            return code;
    rules.Replace(number - 1, rule);
    if (int code = SaveRules(host, path, rules))
        return code;
    host.Out(Utf8(path) + ": rule " + std::to_string(number) +
             (enable ? " enabled\n" : " disabled\n"));
    return kExitOk;
}

int RunEnable(const CArgs& args, CRulesHost& host) {
    return SwitchRule(args, host, true);
}
int RunDisable(const CArgs& args, CRulesHost& host) {
    return SwitchRule(args, host, false);
}

int RunMatch(const CArgs& args, CRulesHost& host) {
    CRuleSet rules;
    if (int code = LoadRuleFileArgument(args, host, "match", rules))
        return code;

    std::vector<CTableColumn> columns;
    for (int c = 1; c < kRecordColumnCount; ++c)
        columns.push_back({Utf8(CString(kRecordColumns[static_cast<size_t>(c)].caption)),
                           kRuleListColumns[static_cast<size_t>(c)].numeric});
    columns.push_back({"Rules", false});
    std::vector<std::string> cells;
    CWindowInfo window; // the record of a matched window, for its cell texts
    const bool listed = host.ForEachWindow(args.Has("all"), [&](const CWindowSnapshot& snapshot) {
        std::string matching;
        // The watcher's own scan: the rules listed are the rules it would act on.
        ScanRules(rules, snapshot, [&](int i) {
            matching += (matching.empty() ? "" : ", ") + std::to_string(i + 1);
            // When it is not the plain case: its moments, and what it would do.
            const CRule& rule = rules.GetAt(i);
            std::string details;
            if (rule.m_dwTriggers != kTriggerForeground)
                details = TriggersText(rule.m_dwTriggers);
            if (rule.m_action != ERuleAction::Close || rule.m_escalate != EEscalate::None)
                details += (details.empty() ? "" : "; ") + Utf8(RuleActionText(rule));
            if (!details.empty())
                matching += " (" + details + ")";
        });
        if (matching.empty())
            return;
        window.m_strTitle = CString(snapshot.strTitle);
        window.m_strClass = CString(snapshot.strClass);
        window.m_rcWindow = snapshot.rcWindow;
        window.m_dwStyle = snapshot.dwStyle;
        window.m_dwExStyle = snapshot.dwExStyle;
        for (int c = 1; c < kRecordColumnCount; ++c)
            cells.push_back(TableCellText(RecordCellText(window, c).View()));
        cells.push_back(matching);
    });
    if (!listed)
        return ValueError(host, "match", "match lists the open windows on Windows only");
    if (cells.empty()) {
        host.Out("No open window matches a rule.\n");
        return kExitOk;
    }
    const size_t n = columns.size();
    WriteTable(
        columns, cells.size() / n,
        [&](size_t row, size_t column, std::string& text) { text = cells[row * n + column]; },
        [&](std::string_view text) { host.Out(text); });
    return kExitOk;
}

// add's options: the rule's fields that have one, and the window's place and size.
std::vector<COption> AddOptions() {
    std::vector<COption> options = {{"location", true}, {"size", true}, {"disabled", false}};
    for (const CRuleField& field : RuleFields())
        if (field.option != nullptr)
            options.push_back({field.option, true});
    return options;
}

const std::vector<CCommand>& Commands() {
    static const std::vector<CCommand> commands = {
        {"list",
         0,
         1,
         {{"json", false}},
         R"(Usage: quellix-rules list [FILE] [--json]

Shows the rules of FILE as the rule list does: Sr, Window Text, Window Class,
X, Y, Width, Height, Style, Ex Style, Delay, Program, Name and Action, then whether the
rule is enabled and its triggers. A cell is empty when its rule does not use
that criterion; a text compared otherwise than exactly starts with its mode
("wildcard: Update*"). On Windows FILE defaults to the user's Data.dat.

  --json   print the rows as a JSON array instead: one object per rule with
           the members sr, title, class, x, y, width, height, style, exStyle,
           delay, program, name, action, enabled and triggers; a criterion that the
           rule does not use is null
)",
         RunList},
        {"check",
         1,
         1,
         {},
         R"(Usage: quellix-rules check FILE

Checks that FILE is a sound rule file and prints a one-line summary (exit 0).
Otherwise it prints the first problem with its byte offset (exit 1): a file or
rule cut short, a count larger than the rules that follow, a negative count.
Bytes after the last rule, which Quellix ignores, are a warning (exit 0).
)",
         RunCheck},
        {"export",
         1,
         1,
         {},
         R"(Usage: quellix-rules export FILE

Writes the rules of FILE to standard output as JSON, losslessly: 'import'
writes the same file back byte for byte.
)",
         RunExport},
        {"import",
         1,
         1,
         {{"out", true, true}, {"allow-match-all", false}},
         R"(Usage: quellix-rules import JSON --out FILE [--allow-match-all]

Writes the rules of the JSON document (as 'export' writes it; - reads standard
input) to the rule file FILE, replacing it. The file is written to a temporary
file first, so a failed write leaves FILE as it was.

Each rule must pass the check that the rule editor makes (exit 2 names the rule
and why): at least one criterion that not every window passes, patterns that
work, a name of at most 256 characters, at least one moment. A rule that
matches every window of every other program is written only with
--allow-match-all.
)",
         RunImport},
        {"add", 1, 1, AddOptions(),
         R"(Usage: quellix-rules add FILE [--class C] [--title T] [--process P]
                         [--location X,Y] [--size W,H] [--style HEX]
                         [--exstyle HEX] [--delay MS] [--title-mode M]
                         [--class-mode M] [--process-mode M] [--name TEXT]
                         [--disabled] [--on TRIGGERS] [--action A]
                         [--button TEXT] [--button-mode M] [--button-id N]
                         [--message TEXT] [--message-mode M] [--escalate E]
                         [--escalate-after MS]

Appends a rule to FILE, creating it when it is missing. --class, --title,
--process, --location, --size, --style and --exstyle are criteria that a
window must meet; a rule needs at least one.

  --class C        the window class (1 to 256 characters)
  --title T        the window text (caption); it may be empty
  --process P      the window's program: a file name (updater.exe) or, with a
                   backslash, a full path; case is ignored
  --location X,Y   the window's left and top edges, in pixels
  --size W,H       the window's width and height, in pixels
  --style HEX      the window style, in hexadecimal (14cf0000 or 0x14cf0000)
  --exstyle HEX    the extended window style, in hexadecimal
  --delay MS       milliseconds from the match to the close, 0 to 2147483647
                   (default 100)
  --title-mode M, --class-mode M, --process-mode M
                   how the text is compared: is (equal, the default),
                   contains, wildcard (* any run, ? one character, the whole
                   text) or regex (searched anywhere; ^ and $ anchor it); all
                   but is ignore case
  --name TEXT      what the rule is for (up to 256 characters)
  --disabled       add the rule switched off
  --on TRIGGERS    when the rule is checked: foreground (the default),
                   titleChange, shown, separated by commas; Quellix checks
                   the rule at each of them
  --message TEXT   a criterion for dialogs: their message (a message box's
                   text, else the dialog's visible texts)
  --message-mode M how the message is compared (default contains)
  --action A       what the rule does: close (the default: asks the window to
                   close), press (presses one of its buttons) or minimize
  --button TEXT    press: the button's text; & marks, case, blanks around it
                   and a trailing ... are ignored
  --button-mode M  how the button's text is compared (default is)
  --button-id N    press: the button by its standard id instead, in every
                   language: 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes,
                   7 No, 10 Try Again, 11 Continue
  --escalate E     close: what follows when the window is still open after
                   --escalate-after: none (the default), sysclose (its window
                   menu's Close) or end (that, and then, if the program does
                   not respond, ending it after you agree)
  --escalate-after MS
                   milliseconds to wait for the window to close (default 3000)
)",
         RunAdd},
        {"enable",
         2,
         2,
         {{"allow-match-all", false}},
         R"(Usage: quellix-rules enable FILE N [--allow-match-all]

Switches rule N, numbered from 1 as the Sr column shows it, on. A rule that
the rule editor would refuse (exit 2 says why) stays off; one that matches
every window of every other program is switched on only with
--allow-match-all.
)",
         RunEnable},
        {"disable",
         2,
         2,
         {},
         R"(Usage: quellix-rules disable FILE N

Switches rule N off: it keeps its place and number and matches nothing.
)",
         RunDisable},
        {"remove",
         2,
         2,
         {},
         R"(Usage: quellix-rules remove FILE N

Removes rule N, numbered from 1 as the Sr column shows it, from FILE.
)",
         RunRemove},
        {"match",
         0,
         1,
         {{"all", false}},
         R"(Usage: quellix-rules match [FILE] [--all]

Shows each open top-level window that at least one rule of FILE matches: its
text, class, position, size and styles, and the rules (by Sr) that match it,
each with its triggers when they are not just foreground and what it would do
when that is not just asking the window to close. A disabled rule matches
nothing.
It only looks: no window is closed or sent anything. Windows only; FILE
defaults to the user's Data.dat.

  --all   hidden windows too (a rule acts on a window that comes to the
          foreground or is shown, a visible one, or that changes its title)
)",
         RunMatch},
    };
    return commands;
}

int UsageError(CRulesHost& host, const std::string& message, const char* usage) {
    Error(host, message);
    host.Err(usage);
    return kExitUsage;
}

// Splits the arguments after the command into positionals and options.
bool ParseArgs(const CCommand& command, const std::vector<CString>& raw, CArgs& args,
               std::string& error, bool& help) {
    help = false;
    bool optionsEnded = false;
    for (size_t i = 1; i < raw.size(); ++i) {
        const std::string arg = Utf8(raw[i]);
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            args.positional.push_back(raw[i]);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
        const COption* option = nullptr;
        if (arg.starts_with("--"))
            for (const COption& o : command.options)
                if (name == o.name)
                    option = &o;
        if (option == nullptr) {
            error = "unknown option " + arg.substr(0, equals);
            return false;
        }
        if (args.Has(name)) {
            error = "--" + name + " is given twice";
            return false;
        }
        CString value;
        if (equals != std::string::npos) {
            if (!option->takesValue) {
                error = "--" + name + " takes no value";
                return false;
            }
            // The units after '=' as given (on Windows they need not be valid UTF-16).
            value = CString(raw[i].View().substr(raw[i].View().find(u'=') + 1));
        } else if (option->takesValue) {
            if (i + 1 == raw.size()) {
                error = "--" + name + " needs a value";
                return false;
            }
            value = raw[++i];
        }
        args.options.emplace_back(name, value);
    }
    if (args.positional.size() < command.minArgs) {
        error = "too few arguments";
        return false;
    }
    if (args.positional.size() > command.maxArgs) {
        error = "too many arguments";
        return false;
    }
    for (const COption& option : command.options) {
        if (option.required && !args.Has(option.name)) {
            error = std::string("--") + option.name + " is required";
            return false;
        }
    }
    return true;
}

} // namespace

int RunRulesTool(const std::vector<CString>& raw, CRulesHost& host) {
    if (raw.empty())
        return UsageError(host, "no command given", kUsage);
    const std::string name = Utf8(raw[0]);
    if (name == "--help" || name == "-h" || name == "help") {
        host.Out(kUsage);
        return kExitOk;
    }
    for (const CCommand& command : Commands()) {
        if (name != command.name)
            continue;
        CArgs args;
        std::string error;
        bool help = false;
        if (!ParseArgs(command, raw, args, error, help))
            return UsageError(host, std::string(command.name) + ": " + error, command.help);
        if (help) {
            host.Out(command.help);
            return kExitOk;
        }
        return command.run(args, host);
    }
    return UsageError(host, "unknown command '" + name + "'", kUsage);
}
