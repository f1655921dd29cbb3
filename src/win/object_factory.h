// The one place where Wallcine creates system COM objects (filter graph, renderers, mixer,
// decoders). Components call ObjectFactory(); tests install fakes with ScopedObjectFactory.
#pragma once

#include <objbase.h>

#include "win/com_ptr.h"
#include "win/platform_override.h"

namespace wallcine::win {

class IObjectFactory {
public:
    virtual ~IObjectFactory() = default;
    // Same contract as CoCreateInstance with CLSCTX_INPROC_SERVER and no aggregation.
    virtual HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object) = 0;
};

IObjectFactory& ObjectFactory();

class ScopedObjectFactory : public ScopedOverride<IObjectFactory> {
public:
    explicit ScopedObjectFactory(IObjectFactory& replacement);
};

// Typed creation through the current factory: S_OK and `out` set, or the failure and `out` empty.
template <class T>
HRESULT CreateObject(REFCLSID clsid, com_ptr<T>& out) {
    return ObjectFactory().CreateInstance(clsid, __uuidof(T), out.put_void());
}

}  // namespace wallcine::win
