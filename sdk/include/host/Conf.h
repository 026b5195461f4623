// Configuration: the user's ("/Client2/UserConfig/...", persistent, writable by modules)
// and the system's ("Client2/System/...", read-only for modules). Values are created with
// the ProgID "Conf.ConfValue".
#pragma once
#include "host/IXUnknown.h"

namespace Host {

struct IConfValue : IXUnknown {
    virtual XStringW getString() = 0;
    virtual void setString(const XStringW& text) = 0;
    virtual double getDouble() = 0; // the text read as a number; 0 when it is none
};

struct IConfKey : IXUnknown {
    virtual XComPtr<IConfValue> getValue() = 0;
    // Stores a copy of the value. The client's interface gives no result: a caller that
    // must know whether it was kept reads the value back.
    virtual void setValue(IConfValue* value) = 0;
};

struct IConfManager : IXUnknown {
    virtual XComPtr<IConfKey> getKey(const XStringA& path) = 0; // empty if missing
    // The existing key or a new empty one; empty if the store is read-only.
    virtual XComPtr<IConfKey> createKey(const XStringA& path) = 0;
    virtual bool deleteKey(const XStringA& path) = 0;
};

} // namespace Host
