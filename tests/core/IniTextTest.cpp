// The portable profile's INI form: every setting under its registry value name in [Settings],
// the placement as hex text, and a file's other lines left as they were.
#include "framework/IniText.h"
#include "ui/Placement.h"
#include "ui/Settings.h"

#include <gtest/gtest.h>

namespace {

const CIntSetting kOptions[] = {
    Settings::HideWindowWithZeroDimensions,
    Settings::HideDisabledWindows,
    Settings::HideHiddenWindows,
    Settings::DisplayWindowIcon,
    Settings::HideWindowsWithoutCaption,
    Settings::StartInSystemTray,
    Settings::RememberLayout,
    Settings::PauseAutoClose,
};

CString Line(StringView name, StringView value) {
    CString line(name);
    line += _T("=");
    line += value;
    line += _T("\r\n");
    return line;
}

TEST(IniText, EverySettingIsANameValueLineOfItsSection) {
    CIniText ini;
    CString expected(_T("[Settings]\r\n"));
    for (const CIntSetting& option : kOptions) {
        EXPECT_FALSE(ini.GetInt(Settings::kSection, option.name)) << "absent at first";
        ini.SetInt(Settings::kSection, option.name, 1 - option.defaultValue);
        expected += Line(option.name, 1 - option.defaultValue ? _T("1") : _T("0"));
    }
    const CString column = ColumnWidthValueName(3, Settings::kRuleListNumber);
    ini.SetInt(Settings::kSection, column.View(), -7);
    expected += Line(column.View(), _T("-7"));
    EXPECT_EQ(ini.Text(), expected);

    const CIniText back(ini.Text().View());
    for (const CIntSetting& option : kOptions)
        EXPECT_EQ(back.GetInt(Settings::kSection, option.name), 1 - option.defaultValue);
    EXPECT_EQ(back.GetInt(Settings::kSection, _T("column 3 of 2")), -7) << "names ignore case";
    EXPECT_FALSE(back.GetInt(_T("Other"), column.View())) << "only in its own section";
}

TEST(IniText, PlacementIsHexTextAndComesBackByteForByte) {
    WINDOWPLACEMENT wp{};
    wp.length = 44;
    wp.showCmd = 3;
    wp.rcNormalPosition = {-1280, 10, 200, 0x7ABCDEF0};
    const auto bytes = EncodePlacement(wp);
    CIniText ini;
    ini.SetBinary(Settings::kSection, Settings::kLastLocation, bytes.data(), bytes.size());
    const auto text = ini.Get(Settings::kSection, Settings::kLastLocation);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->GetLength(), 88);
    EXPECT_EQ(CString(text->View().substr(0, 24)), _T("2C0000000000000003000000"));
    EXPECT_EQ(CString(text->View().substr(56, 8)), _T("00FBFFFF")) << "little-endian -1280";

    std::vector<BYTE> back;
    ASSERT_TRUE(
        CIniText(ini.Text().View()).GetBinary(Settings::kSection, Settings::kLastLocation, back));
    EXPECT_EQ(back, std::vector<BYTE>(bytes.begin(), bytes.end()));

    for (const WCHAR16* bad : {_T("2C0"), _T("2G"), _T("2C 00")}) {
        ini.Set(Settings::kSection, Settings::kLastLocation, bad);
        EXPECT_FALSE(ini.GetBinary(Settings::kSection, Settings::kLastLocation, back));
        EXPECT_TRUE(back.empty());
    }
    ini.Set(Settings::kSection, Settings::kLastLocation, _T("2c00ff"));
    ASSERT_TRUE(ini.GetBinary(Settings::kSection, Settings::kLastLocation, back));
    EXPECT_EQ(back, (std::vector<BYTE>{0x2C, 0x00, 0xFF})) << "lower-case digits";
}

TEST(IniText, AChangeRewritesOnlyItsLine) {
    const CString file(_T("; kept\r\n[Other]\r\nRememberLayout=5\r\n\r\n[settings]\r\n")
                       _T("  RememberLayout = 0 \r\nbroken line\r\n\r\n[Last]\r\nx=1"));
    CIniText ini(file.View());
    EXPECT_EQ(ini.GetInt(Settings::kSection, Settings::RememberLayout.name), 0);
    EXPECT_FALSE(ini.GetInt(Settings::kSection, _T("broken line")));
    ini.SetInt(Settings::kSection, Settings::RememberLayout.name, 1);
    ini.SetInt(Settings::kSection, Settings::StartInSystemTray.name, 1);
    EXPECT_EQ(ini.Text(), CString(_T("; kept\r\n[Other]\r\nRememberLayout=5\r\n\r\n[settings]\r\n")
                                  _T("RememberLayout=1\r\nbroken line\r\nStartInSystemTray=1\r\n")
                                  _T("\r\n[Last]\r\nx=1\r\n")));
    EXPECT_EQ(ini.GetInt(_T("Other"), Settings::RememberLayout.name), 5);
    EXPECT_FALSE(ini.GetInt(_T("Last"), _T("y")));
}

TEST(IniText, FileBytesInTheEncodingsAnEditorSaves) {
    EXPECT_EQ(IniTextFromBytes(""), CString());
    EXPECT_EQ(IniTextFromBytes("\xEF\xBB\xBF[S]\r\na=\xC3\xA9"), CString(_T("[S]\r\na=\u00E9")));
    EXPECT_EQ(IniTextFromBytes(std::string("\xFF\xFE[\0S\0]\0", 8)), CString(_T("[S]")));
    EXPECT_EQ(IniBytesFromText(CString(_T("a=\u00E9"))), "a=\xC3\xA9");
}

} // namespace
