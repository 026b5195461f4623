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
    virtual void setDouble(double value) = 0;
};

struct IConfKey : IXUnknown {
    virtual XComPtr<IConfValue> getValue() = 0;
    // Stores a copy of the value; false when the store is read-only or cannot be written
    // (the previous value is then kept, in memory and on disk).
    virtual bool setValue(IConfValue* value) = 0;
    virtual XStringA getPath() = 0;
};

struct IConfManager : IXUnknown {
    virtual XComPtr<IConfKey> getKey(const XStringA& path) = 0; // empty if missing
    virtual XComPtr<IConfKey>
    createKey(const XStringA& path) = 0; // the existing key or a new empty one; empty if read-only
    virtual bool deleteKey(const XStringA& path) = 0;
};

} // namespace Host
