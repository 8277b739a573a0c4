// export and import: lossless both ways, and nothing written from a document they refuse.
#include "ToolFixture.h"

#include <climits>
#include <memory>

namespace {

CString Units(std::initializer_list<unsigned> units) {
    CString text;
    for (unsigned u : units)
        text += static_cast<WCHAR16>(u);
    return text;
}

// Rules that hold what a careless conversion loses: surrogates without partners, a pair, NUL
// and other control units, quotes, empty texts, flags other than 0 and 1, the integers' ends.
CRuleSet OddRules() {
    CRuleSet rules;
    auto a = std::make_unique<CRule>();
    a->m_strTitle = Units({0xD800, 'a', 0xDC00, 0xD83D, 0xDE00, 0xDBFF}); // lone, pair, lone
    a->m_strClass = CString();
    a->m_rcWindow = {INT_MIN, -1, INT_MAX, 0};
    a->m_dwStyle = 0xFFFFFFFF;
    a->m_dwExStyle = 0x100;
    a->m_bMatchTitle = 2;
    a->m_bMatchClass = -1;
    a->m_bMatchDimensions = 0;
    a->m_nDelayMs = -1;
    rules.Add(*a);
    auto b = std::make_unique<CRule>();
    b->m_strTitle = Units({'Z', 0xFC, 'r', 'i', 'c', 'h', ' ', '"', '\\', '/', 0x09, 0x00, 0x01,
                           0x7F, 0x65E5, 0xDC00});
    b->m_strClass = _T("Notepad");
    b->m_bMatchLocation = 1;
    b->m_nDelayMs = INT_MAX;
    rules.Add(*b);
    return rules;
}

TEST_F(ToolTest, FileToJsonToFileByteForByteAndJsonToFileToJsonTheSame) {
    const Bytes original = StoreRules(OddRules());
    Write("a.dat", original);
    ASSERT_EQ(Run({"export", P("a.dat")}), 0) << host.err;
    const std::string json = host.out;
    // Unpaired surrogates as escapes; a pair and other non-ASCII text as UTF-8.
    EXPECT_NE(json.find(R"("title": "\ud800a\udc00)"
                        "\xF0\x9F\x98\x80"
                        R"(\udbff")"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find(R"("title": "Z)"
                        "\xC3\xBC"
                        R"(rich \"\\/\t\u0000\u0001)"
                        "\x7F\xE6\x97\xA5"
                        R"(\udc00")"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find(R"("matchTitle": 2,)"), std::string::npos);
    EXPECT_NE(json.find(R"("matchClass": -1,)"), std::string::npos);
    EXPECT_NE(json.find(R"("left": -2147483648,)"), std::string::npos);
    EXPECT_NE(json.find(R"("style": "0xffffffff",)"), std::string::npos);

    Write("a.json", Bytes(json.begin(), json.end()));
    ASSERT_EQ(Run({"import", P("a.json"), "--out", P("b.dat")}), 0) << host.err;
    EXPECT_EQ(Read("b.dat"), original);
    ASSERT_EQ(Run({"export", P("b.dat")}), 0);
    EXPECT_EQ(host.out, json);

    // The same through standard input, and for an empty rule set.
    host.input = R"({"version": 1, "rules": []})";
    ASSERT_EQ(Run({"import", "-", "--out", P("empty.dat")}), 0) << host.err;
    EXPECT_EQ(Read("empty.dat"), (Bytes{0, 0, 0, 0}));
    ASSERT_EQ(Run({"export", P("empty.dat")}), 0);
    EXPECT_EQ(host.out, "{\n  \"version\": 3,\n  \"rules\": []\n}\n");
}

TEST_F(ToolTest, AnUntickedProgramTextSurvivesImportAndExport) {
    // The fuzzer's find (fuzz/corpus/RulesJsonFuzz/unticked-program.json): the rule file kept
    // an unticked title and class but dropped an unticked program.
    const std::string document = R"json({
  "version": 3,
  "rules": [
    {
      "title": "",
      "class": "Notepad",
      "left": 0,
      "top": 0,
      "right": 0,
      "bottom": 0,
      "style": "0x00000000",
      "exStyle": "0x00000000",
      "matchTitle": false,
      "matchClass": true,
      "matchDimensions": false,
      "matchLocation": false,
      "matchStyle": false,
      "matchExStyle": false,
      "delayMs": 100,
      "name": "",
      "enabled": true,
      "process": "s\\x.exe",
      "matchProcess": false,
      "titleMode": "is",
      "classMode": "is",
      "processMode": "is",
      "triggers": ["foreground"],
      "action": "close",
      "button": "",
      "buttonMode": "is",
      "buttonId": 0,
      "matchMessage": false,
      "message": "",
      "messageMode": "contains",
      "escalate": "none",
      "escalateAfterMs": 3000
    }
  ]
}
)json";
    host.input = document;
    ASSERT_EQ(Run({"import", "-", "--out", P("u.dat")}), 0) << host.err;
    ASSERT_EQ(Run({"export", P("u.dat")}), 0) << host.err;
    EXPECT_EQ(host.out, document);
}

TEST_F(ToolTest, ImportAcceptsAnyLayoutOfTheSameDocument) {
    const std::string packed =
        "\xEF\xBB\xBF{\"rules\":[{\"delayMs\":0,\"class\":\"C\",\"title\":"
        "\"\\u00e9\\uD83D\\uDE00\","
        "\"left\":1,\"top\":2,\"right\":3,\"bottom\":4,\"style\":\"ABC\",\"exStyle\":\"0X0\","
        "\"matchTitle\":true,\"matchClass\":false,\"matchDimensions\":1,\"matchLocation\":0,"
        "\"matchStyle\":true,\"matchExStyle\":false}],\"version\":1}";
    host.input = packed;
    ASSERT_EQ(Run({"import", "-", "--out", P("p.dat")}), 0) << host.err;
    ASSERT_EQ(Run({"list", P("p.dat"), "--json"}), 0);
    EXPECT_EQ(host.out,
              "[\n  {\"sr\": 1, \"title\": \"\xC3\xA9\xF0\x9F\x98\x80\", \"class\": null, "
              "\"x\": null, \"y\": null, \"width\": 2, \"height\": 2, \"style\": "
              "\"abc\", \"exStyle\": null, \"delay\": 0, \"program\": null, \"name\": \"\", "
              "\"action\": \"Close\", \"enabled\": true, \"triggers\": [\"foreground\"]}\n]\n");
}

TEST_F(ToolTest, ImportRefusesAnythingButTheExactShapeAndWritesNothing) {
    const std::string rule = R"("title": "t", "class": "c", "left": 0, "top": 0, "right": 0,
        "bottom": 0, "style": "0x0", "exStyle": "0x0", "matchTitle": true, "matchClass": true,
        "matchDimensions": false, "matchLocation": false, "matchStyle": false,
        "matchExStyle": false)";
    auto doc = [&](const std::string& members) {
        return R"({"version": 1, "rules": [{)" + members + "}]}";
    };
    const struct {
        std::string json;
        const char* error;
    } cases[] = {
        {doc(rule), "\"delayMs\" is missing"},
        {doc(rule + R"(, "delayMs": 1, "extra": 0)"), "unknown member \"extra\""},
        {doc(rule + R"(, "delayMs": 1, "delayMs": 2)"), "\"delayMs\" is given twice"},
        {doc(rule + R"(, "delayMs": 2147483648)"), "\"delayMs\" must be a whole number"},
        {doc(rule + R"(, "delayMs": 1.5)"), "line 4, column 44: expected a whole number"},
        {doc(rule + R"(, "delayMs": 1, "x": 1)"), "unknown member"},
        {R"({"version": 4, "rules": []})", "\"version\" must be 1, 2 or 3"},
        {doc(rule + R"(, "delayMs": 1, "name": "n")"), "unknown member \"name\""}, // not in 1
        {R"({"version": 1, "rules": {}})", "\"rules\" must be an array"},
        {R"({"version": 1, "rules": []} x)", "unexpected text after the document"},
        {"{\"version\": 1, \"rules\": [\"\xC3\"]}", "not valid UTF-8"},
        {R"({"version": 1, "rules": [1]})", "rule 1 is not an object"},
        {std::string(100, '[') + std::string(100, ']'), "nested too deeply"},
        {R"({"version": 1, "rules": [)", "unexpected end"},
    };
    std::string titleWithBreak = doc(rule + R"(, "delayMs": 1)");
    titleWithBreak.replace(titleWithBreak.find("\"t\""), 3, R"("a\nb")");
    Write("keep.dat", Bytes{0, 0, 0, 0});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        host.input = c.json;
        EXPECT_EQ(Run({"import", "-", "--out", P("keep.dat")}), 1);
        EXPECT_NE(host.err.find(c.error), std::string::npos) << host.err;
        EXPECT_EQ(Read("keep.dat"), (Bytes{0, 0, 0, 0}));
    }
    host.input = titleWithBreak;
    EXPECT_EQ(Run({"import", "-", "--out", P("new.dat")}), 1);
    EXPECT_NE(host.err.find("\"title\" holds a line break"), std::string::npos) << host.err;
    EXPECT_FALSE(Exists("new.dat"));
}

} // namespace
