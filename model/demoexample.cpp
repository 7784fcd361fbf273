// Loading of the demo example project that a new project starts from.
#include "model/lpclasses.h"

bool TLPData::LoadDemoExample(const std::string& fileName)
{
    // Throws when the file cannot be read; the model is then as it was and Reset falls back to
    // the built-in defaults.
    LoadFromFile(fileName);
    return true;
}
