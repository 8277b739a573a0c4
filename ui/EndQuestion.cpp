#include "EndQuestion.h"

CString EndQuestionText(const CProgramToEnd& program) {
    // The program's own texts are shown as visible escapes: a line end or a direction mark in
    // a caption must not make the question say something else.
    CString text;
    text.Format(_T("%s has not answered for at least %d seconds, and its window did not close ")
                _T("when it was asked to.\r\n\r\nProgram: %s\r\nPath: %s\r\nWindows:"),
                VisibleText(program.strName.View()), program.nSilentMs / 1000,
                VisibleText(program.strName.View()), VisibleText(program.strPath.View()));
    for (const CString& caption : program.captions) {
        text += _T("\r\n    ");
        text += caption.IsEmpty() ? CString(_T("(no caption)"))
                                  : VisibleText(caption.View(), kShownTextUnits);
    }
    text += _T("\r\n\r\nEnd the program now? Any work in it that is not saved will be lost.");
    return text;
}
