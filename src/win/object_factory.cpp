#include "win/object_factory.h"

namespace wallcine::win {

namespace {

class SystemObjectFactory final : public IObjectFactory {
public:
    HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object) override {
        return ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
    }
};

SystemObjectFactory system_factory;
IObjectFactory* current_factory = &system_factory;

}  // namespace

IObjectFactory& ObjectFactory() { return *current_factory; }

ScopedObjectFactory::ScopedObjectFactory(IObjectFactory& replacement)
    : ScopedOverride<IObjectFactory>(current_factory, replacement) {}

}  // namespace wallcine::win
