#include "ModuleLoader.h"
#include "common/ProcAddress.h"
#include "ConfText.h"
#include "hostapi/KernelHost.h"

namespace HostShell {

namespace {

std::wstring absolutePath(const std::wstring& path, const std::wstring& exeDir)
{
    bool absolute = (path.size() > 1 && path[1] == L':') || (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
    return absolute ? path : exeDir + L"\\" + path;
}

std::wstring fileName(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

XStringW systemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    XStringW message = text ? text : L"";
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    XStringW number;
    number.format(L"错误 %lu", code);
    return message.empty() ? number : number + L"：" + message;
}

// The module's own calls, guarded: an exception must not leave a module and end the client.
Host::IModule* callInstance(Host::ModuleInstanceFn entry)
{
    try {
        return entry();
    } catch (...) {
        return nullptr;
    }
}

bool callGetInfo(Host::IModule* module, Host::ModuleInfo& info)
{
    try {
        return module->getInfo(info);
    } catch (...) {
        return false;
    }
}

int callInitialize(Host::IModule* module, ShellApp* app, XStringW& moduleError)
{
    try {
        return module->initialize(app, moduleError);
    } catch (...) {
        moduleError = L"模块抛出了异常";
        return 1;
    }
}

} // namespace

bool ModuleLoader::load(ShellApp* app, const std::wstring& path, XStringW& error)
{
    std::wstring full = absolutePath(path, app->paths().exeDir);
    std::wstring name = fileName(full);
    HMODULE library = LoadLibraryW(full.c_str());
    if (!library) {
        error = L"无法加载模块 " + name + L"（" + systemMessage(GetLastError()) + L"）";
        return false;
    }
    auto entry = Common::procAddress<Host::ModuleInstanceFn>(library, "ModuleInstance");
    if (!entry) {
        FreeLibrary(library);
        error = L"模块 " + name + L" 没有导出 ModuleInstance";
        return false;
    }
    XComPtr<Host::IModule> module(callInstance(entry));
    Host::ModuleInfo info;
    if (!module || !callGetInfo(module.get(), info) || info.name.empty()) {
        error = L"模块 " + name + L" 没有提供模块对象";
        return false;
    }
    if (app->findModule(info.name)) {
        error = L"模块 " + name + L" 的名称 " + fromUtf8(info.name) + L" 已被占用";
        return false;
    }
    XStringW moduleError;
    if (callInitialize(module.get(), app, moduleError) != 0) {
        error = L"模块 " + name + L" 初始化失败" + (moduleError.empty() ? XStringW(L"。") : L"：" + moduleError);
        return false;
    }
    app->registerModule(info.name, module.get());
    modules_.push_back(Loaded{full, module});
    return true;
}

std::vector<XStringW> ModuleLoader::loadConfigured(ShellApp* app)
{
    std::vector<XStringW> errors;
    XStringW list = readConfText(app->getSystemConf().get(), kModulesKey, L"mod_ClosedFund.dll");
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(L';', start);
        if (end == XStringW::npos) end = list.size();
        XStringW path = list.substr(start, end - start);
        start = end + 1;
        size_t first = path.find_first_not_of(L" \t"), last = path.find_last_not_of(L" \t");
        if (first == XStringW::npos) continue;
        XStringW error;
        if (!load(app, path.substr(first, last - first + 1), error)) {
            Host::logWarning(error.c_str());
            errors.push_back(error);
        }
    }
    return errors;
}

bool ModuleLoader::holds(const Host::IModule* module) const
{
    for (const Loaded& loaded : modules_) {
        if (loaded.module.get() == module) return true;
    }
    return false;
}

void ModuleLoader::uninitializeAll()
{
    while (!modules_.empty()) {
        try {
            modules_.back().module->uninitialize();
        } catch (...) {
            Host::logWarning((L"a module failed to uninitialise: " + modules_.back().path).c_str());
        }
        modules_.pop_back();
    }
}

} // namespace HostShell
