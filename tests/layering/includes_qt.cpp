// Must not compile: libraries below the window layer have no Qt on their include path.
#include <QString>

int layeringProbe()
{
    return QString().size();
}
