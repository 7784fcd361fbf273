#include "platform/core/object.h"

#include "platform/core/exceptions.h"

namespace platform {

void TPersistent::Assign(const TPersistent* source)
{
    if (source != nullptr)
        source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    if (dest != nullptr)
        dest->AssignError(this);
    throw EConvertError(Format("Cannot assign a %s to a %s", ClassName().c_str(), "nil"));
}

void TPersistent::AssignError(const TPersistent* source) const
{
    const std::string sourceName = source != nullptr ? source->ClassName() : std::string("nil");
    throw EConvertError(Format("Cannot assign a %s to a %s", sourceName.c_str(), ClassName().c_str()));
}

} // namespace platform
