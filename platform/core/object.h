#pragma once
// Root of the class roles the picture classes build on: an object with a class name, and a
// persistent object that can be assigned from another one.
#include <functional>
#include <string>

namespace platform {

class TObject {
public:
    virtual ~TObject() = default;
    virtual std::string ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
public:
    std::string ClassName() const override { return "TPersistent"; }
    // Copies source into this object. The default asks the source to assign itself to this
    // object and raises EConvertError "Cannot assign a %s to a %s" when neither knows the other.
    virtual void Assign(const TPersistent* source);
    // Copies this object into dest; the default raises the conversion error.
    virtual void AssignTo(TPersistent* dest) const;

protected:
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

} // namespace platform
