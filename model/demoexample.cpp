// Loading of the demo example project that a new project starts from.
#include "model/lpclasses.h"

// The project-file reader fills this in: it loads the file into the model and returns true, or
// throws when the file cannot be read. Until the reader exists, a new project starts from the
// built-in defaults.
bool TLPData::LoadDemoExample(const std::string& fileName)
{
    (void)fileName;
    return false;
}
