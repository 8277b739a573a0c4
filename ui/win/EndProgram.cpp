// The main dialog asks the user before a program that stopped answering is ended.
#include "QuellixDlg.h"

#include "ui/EndQuestion.h"

bool CQuellixDlg::AskToEnd(const CProgramToEnd& program) {
    // No is the default: a key pressed by chance keeps the program and its work.
    return MessageBox(EndQuestionText(program), kEndQuestionCaption,
                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
}
