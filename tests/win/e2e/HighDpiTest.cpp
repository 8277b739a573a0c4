// The real Quellix.exe on a 144-DPI screen: default column widths grow with the DPI, a width
// the user stored does not. Wine reads the DPI from the registry when a process starts.
#include "support/Driver.h"

#include <gtest/gtest.h>

using namespace qt;

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// Sets the DPI that programs started from now on get, and puts the old value back. (Wine keeps
// its own note of the last DPI under Software\Wine\Fonts; the next program it starts brings
// that up to date.)
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi) {
        DWORD value = 0, size = sizeof(value);
        if (::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                           &value, &size) == ERROR_SUCCESS)
            m_old = value;
        Set(dpi);
    }
    ~ScreenDpi() {
        if (m_hadOld)
            Set(m_old);
        else
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;

private:
    static void Set(DWORD dpi) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi,
                          sizeof(dpi));
    }
    DWORD m_old = 0;
    bool m_hadOld = false;
};

class HighDpi : public CleanStateTest {};

TEST_F(HighDpi, DefaultColumnWidthsScaleAndStoredOnesStayAsStored) {
    StoreInt(L"Column 1 Of 2", 123);
    ScreenDpi dpi(144);
    QuellixProcess app;
    ASSERT_TRUE(app.Start());
    RemoteListView windows = app.List(1001), rules = app.List(1000);
    EXPECT_EQ(windows.ColumnWidth(0), 75); // 50 at 96 DPI
    EXPECT_EQ(windows.ColumnWidth(1), 150);
    EXPECT_EQ(rules.ColumnWidth(0), 75);
    EXPECT_EQ(rules.ColumnWidth(1), 123);
    EXPECT_EQ(rules.ColumnWidth(9), 113); // 75 at 96 DPI
    EXPECT_EQ(rules.ColumnWidth(13), 83); // Closed: 55
    app.Command(1221);                    // History...
    HWND history = app.WaitDialog(L"History - Quellix by Velmora");
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(RemoteListView(::GetDlgItem(history, 1211), app.Pid()).ColumnWidth(0), 188); // 125
    EXPECT_TRUE(app.Exit());
}

} // namespace
