// Nothing the user set up is lost: not at the end of a session, not when the process is killed,
// not when Data.dat cannot be read at start, and no setting that cannot be right is kept.
#include "support/Driver.h"
#include "support/Tray.h"

#include <gtest/gtest.h>

using namespace qt;

namespace {

class Durability : public CleanStateTest {
protected:
    void TearDown() override { app.Exit(); }

    // Sends a message and returns its result; the handler has finished when this returns.
    LRESULT Send(UINT msg, WPARAM wp) {
        DWORD_PTR result = 0;
        EXPECT_NE(::SendMessageTimeoutW(app.Main(), msg, wp, 0, SMTO_ABORTIFHUNG, 10000, &result),
                  0);
        return static_cast<LRESULT>(result);
    }

    QuellixProcess app;
};

// One rule in the file's layout: 13 integers, "Kept" and "Cls" with their line ends.
std::vector<BYTE> OneRuleFile() {
    std::vector<BYTE> bytes = {1, 0, 0, 0};
    for (int i = 0; i < 13; ++i)
        bytes.insert(bytes.end(), {static_cast<BYTE>(i == 7 ? 1 : 0), 0, 0, 0});
    for (const wchar_t* line : {L"Kept\r\n", L"Cls\r\n"})
        for (const wchar_t* p = line; *p != 0; ++p)
            bytes.insert(bytes.end(), {static_cast<BYTE>(*p), 0});
    return bytes;
}

// The bytes of every file in the data folder whose name starts with "Data".
std::vector<std::vector<BYTE>> DataFiles() {
    std::vector<std::vector<BYTE>> files;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((DataFolder() + L"\\Data*.dat").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do
        files.push_back(ReadFileBytes(DataFolder() + L"\\" + found.cFileName));
    while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return files;
}

TEST_F(Durability, SessionEndWritesWhatExitWritesAndImpossibleWidthsAreNotKept) {
    StoreInt(L"Column 3 Of 2", static_cast<DWORD>(-5));
    StoreInt(L"Column 4 Of 1", 999999);
    // Widths an older version stored by position for columns that now go by name.
    StoreInt(L"Column 12 Of 2", 77);
    StoreInt(L"Column 9 Of 1", 88);
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.List(1000).ColumnWidth(3), 50);
    EXPECT_EQ(app.List(1001).ColumnWidth(4), 50);
    EXPECT_EQ(app.List(1000).ColumnWidth(13), 77);  // Closed, now after Action
    EXPECT_EQ(app.List(1000).ColumnWidth(12), 100); // Action is new: it takes over nothing
    EXPECT_EQ(app.List(1001).ColumnWidth(9), 88);
    app.List(1000).SetColumnWidth(1, 140);
    ::SetWindowPos(app.Main(), nullptr, 30, 40, 1100, 720, SWP_NOZORDER);

    Send(WM_ENDSESSION, FALSE); // the session goes on: nothing happens
    EXPECT_FALSE(StoredInt(L"Column 1 Of 2").has_value());
    EXPECT_TRUE(TrayIconExists(app.Main()));

    EXPECT_EQ(Send(WM_QUERYENDSESSION, 0), TRUE);
    Send(WM_ENDSESSION, TRUE);
    EXPECT_FALSE(TrayIconExists(app.Main()));
    app.GetProcess().Kill(); // the system may end the process at any moment now

    EXPECT_EQ(StoredInt(L"Column 1 Of 2").value_or(0), 140u);
    EXPECT_EQ(StoredInt(L"Column 3 Of 2").value_or(0), 50u);
    EXPECT_EQ(StoredInt(L"Column 4 Of 1").value_or(0), 50u);
    EXPECT_EQ(StoredInt(L"Column Closed Of 2").value_or(0), 77u);
    EXPECT_EQ(StoredInt(L"Column Program Of 1").value_or(0), 88u);
    const auto placement = StoredBinary(L"QuellixLastLocation");
    ASSERT_TRUE(placement.has_value());
    EXPECT_EQ(reinterpret_cast<const WINDOWPLACEMENT*>(placement->data())->rcNormalPosition.left,
              30);
    EXPECT_EQ(ReadFileBytes(DataFilePath()), (std::vector<BYTE>{0, 0, 0, 0}));
}

TEST_F(Durability, AnUnreadableRuleFileIsNeverOverwritten) {
    const std::vector<BYTE> whole = OneRuleFile();
    const std::vector<BYTE> truncated(whole.begin(), whole.begin() + 30);
    for (bool held : {true, false}) {
        SCOPED_TRACE(held ? "held open by another program" : "cut inside a record");
        ResetDataFolder();
        ::CreateDirectoryW(DataFolder().c_str(), nullptr);
        const std::vector<BYTE>& original = held ? whole : truncated;
        ASSERT_TRUE(WriteFileBytes(DataFilePath(), original));
        HANDLE holder = held ? ::CreateFileW(DataFilePath().c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;

        QuellixProcess quellix;
        ASSERT_TRUE(quellix.Start(false));
        HWND box = quellix.WaitDialog(kAppTitle);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(MessageBoxText(box).find(L"Data-unreadable-"), std::wstring::npos);
        if (holder != INVALID_HANDLE_VALUE)
            ::CloseHandle(holder);
        ClickButton(box, IDOK);
        ASSERT_TRUE(quellix.Exit());

        const auto files = DataFiles();
        EXPECT_EQ(files.size(), 2u); // Data.dat and the one kept aside
        EXPECT_NE(std::find(files.begin(), files.end(), original), files.end());
    }
}

TEST_F(Durability, ChangesAndOptionsAreStoredAtOnce) {
    ASSERT_TRUE(app.Start());
    SetCheck(app.Main(), 1024, true); // Start in System Tray
    app.Click(1024);
    SetCheck(app.Main(), 1025, false); // Remember Position & Size
    app.Click(1025);
    EXPECT_TRUE(WaitFor([] { return StoredInt(L"StartInSystemTray") == 1u; }));
    EXPECT_TRUE(WaitFor([] { return StoredInt(L"RememberLayout") == 0u; }));
}

} // namespace
