#include "Report.h"

CString FormatForegroundReport(StringView timeText, const CWindowSnapshot& window) {
    CString report;
    report.Format(_T("%s - Title : %s, Class : %s, X : %d, Y : %d, Width : %d, Height : %d, ")
                  _T("Style : %x, Ex Style : %x"),
                  timeText, window.strTitle, window.strClass, window.rcWindow.left,
                  window.rcWindow.top, RectWidth(window.rcWindow), RectHeight(window.rcWindow),
                  window.dwStyle, window.dwExStyle);
    return report;
}
