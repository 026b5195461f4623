// A service of the reference host, found by ProgID through createInstance
// ("Client2.ConfStatus"); the client answers null. IConfKey::setValue of the client's
// interface gives no result: a caller learns that a change was not kept by reading it back,
// and from this service why, in words it can show the person.
#pragma once
#include "host/Conf.h"

namespace Host {

const char kConfStatusProgId[] = "Client2.ConfStatus";

struct IConfStatus : IXUnknown {
    // False when conf is not this host's. Else failure is why the last change through conf
    // was not saved ("数据目录只读"), empty when it was saved.
    virtual bool lastWriteFailure(IConfManager* conf, XStringW& failure) = 0;
};

} // namespace Host
