// The program's entry sequence, ending when the main window has painted itself.
#include "firstpaint.h"

#include "ui/main/lpmain.h"
#include "ui/main/startup.h"

int main(int argc, char** argv)
{
    return RunProgram(argc, argv, [](TfrmLPMain& window) { new QuitOnFirstPaint(&window); });
}
