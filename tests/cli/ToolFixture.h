// Runs quellix-rules commands in the test process: a host that records the output and offers
// made-up windows, and a folder of its own for the files.
#pragma once

#include "framework/Archive.h"
#include "framework/Utf8.h"
#include "rules/RuleSet.h"
#include "tools/rules/Commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<BYTE>;

struct CTestWindow {
    CString title;
    CString cls;
    RECT rc;
    DWORD style;
    DWORD exStyle;
    bool visible = true;
    CString process = _T("C:\\Apps\\tool.exe");
};

class CTestHost : public CRulesHost {
public:
    void Out(std::string_view utf8) override { out += utf8; }
    void Err(std::string_view utf8) override { err += utf8; }
    bool ReadInput(std::string& bytes) override {
        bytes = input;
        return true;
    }
    CString DefaultRuleFile() override { return defaultFile; }
    bool ForEachWindow(bool hidden,
                       const std::function<void(const CWindowSnapshot&)>& each) override {
        if (!hasWindows)
            return false;
        for (const CTestWindow& w : windows)
            if (hidden || w.visible)
                each({w.title.View(), w.cls.View(), w.rc, w.style, w.exStyle, w.process.View()});
        return true;
    }

    std::string out, err, input;
    CString defaultFile;
    bool hasWindows = false;
    std::vector<CTestWindow> windows;
};

inline Bytes StoreRules(const CRuleSet& rules) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    rules.Store(ar);
    ar.Close();
    return file.Data();
}

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("quellix-rules-test-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path PathOf(const std::string& name) const { return m_dir / name; }
    // A file name in the test's folder, as an argument.
    std::string P(const std::string& name) const {
#ifdef _WIN32
        return ToUtf8(CString(PathOf(name).wstring().c_str()).View());
#else
        return PathOf(name).string();
#endif
    }
    Bytes Read(const std::string& name) const {
        std::ifstream in(PathOf(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    bool Exists(const std::string& name) const {
        return std::filesystem::exists(PathOf(name));
    }

    // Runs one command line; the host keeps only this run's output.
    int Run(const std::vector<std::string>& args) {
        host.out.clear();
        host.err.clear();
        std::vector<CString> units;
        for (const std::string& a : args)
            units.push_back(FromUtf8(a));
        return RunRulesTool(units, host);
    }

    CTestHost host;

private:
    std::filesystem::path m_dir;
};
