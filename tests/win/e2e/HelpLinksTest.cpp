// The Help pages open in the default browser: here a stand-in browser registered for https
// that logs the address it was asked to open.
#include "support/Driver.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace qt;

namespace {

const wchar_t kHttpsCommand[] = L"Software\\Classes\\https\\shell\\open\\command";

class HelpLinks : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_log = std::wstring(temp) + L"qx-opened.log";
        ::DeleteFileW(m_log.c_str());
        // The machine-wide association, saved and put back afterwards.
        HKEY key = nullptr;
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHttpsCommand, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr);
        wchar_t old[1024] = {};
        DWORD size = sizeof(old);
        if (::RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                               &size) == ERROR_SUCCESS)
            m_oldCommand = old;
        const std::wstring command = L"\"" + BinaryPath(L"TargetWindows.exe") + L"\" --log \"" +
                                     m_log + L"\" --opened \"%1\"";
        ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
    void TearDown() override {
        app.Exit();
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kHttpsCommand, nullptr, REG_SZ, m_oldCommand.c_str(),
                          static_cast<DWORD>((m_oldCommand.size() + 1) * sizeof(wchar_t)));
    }

    std::vector<std::string> Opened() const {
        std::vector<std::string> addresses;
        std::ifstream in(std::string(m_log.begin(), m_log.end()));
        std::string line;
        while (std::getline(in, line)) {
            size_t at = line.find(" OPENED 0 ");
            if (at != std::string::npos)
                addresses.push_back(line.substr(at + 10));
        }
        return addresses;
    }
    std::string OpenAfter(const std::function<void()>& action) {
        const size_t before = Opened().size();
        action();
        if (!WaitFor([&] { return Opened().size() > before; }, 10000))
            return "";
        return Opened().back();
    }

    QuellixProcess app;
    std::wstring m_log;
    std::wstring m_oldCommand;
};

TEST_F(HelpLinks, EachHelpCommandAndF1OpenTheirPage) {
    ASSERT_TRUE(app.Start());
    const std::string tutorial = OpenAfter([&] { app.Command(32775); });
    EXPECT_NE(tutorial.find("https://"), std::string::npos) << tutorial;
    EXPECT_NE(tutorial.find("tutorial"), std::string::npos) << tutorial;
    const std::string other = OpenAfter([&] { app.Command(32776); });
    const std::string support = OpenAfter([&] { app.Command(32777); });
    const std::string korvant = OpenAfter([&] { app.Command(32781); });
    EXPECT_NE(korvant.find("korvant"), std::string::npos) << korvant;
    EXPECT_NE(support.find("support"), std::string::npos) << support;
    EXPECT_FALSE(other.empty());
    EXPECT_NE(other, tutorial);
    EXPECT_NE(other, support);
    // F1 reaches the dialog as WM_HELP: the tutorial again.
    EXPECT_EQ(OpenAfter([&] {
                  HELPINFO info{};
                  info.cbSize = sizeof(info);
                  info.iContextType = HELPINFO_WINDOW;
                  info.hItemHandle = app.Control(1001);
                  DWORD_PTR r = 0;
                  ::SendMessageTimeoutW(app.Main(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info),
                                        SMTO_ABORTIFHUNG, 5000, &r);
              }),
              tutorial);
}

} // namespace
