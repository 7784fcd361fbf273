// Commands whose work belongs to parts of the program that are still being built: reading and
// writing project files, the printed report, loading the logo picture. Until those exist the
// commands leave the project as it is; the window's flow around them (the save question, the
// action hook, the caption) is already in place.
#include "ui/main/lpmain.h"

void TfrmLPMain::AOpenExecute()
{
    // Waits for the project-file reader.
}

void TfrmLPMain::ASaveExecute()
{
    // Waits for the project-file writer: nothing is saved, so Modified stays set and the save
    // question keeps the window open.
}

void TfrmLPMain::ASaveAsExecute()
{
    // Waits for the project-file writer.
}

void TfrmLPMain::APrintExecute()
{
    // Waits for the printed report.
}

void TfrmLPMain::Button1Click()
{
    // Waits for the JPEG picture class.
}
