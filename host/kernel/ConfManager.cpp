// The user and system configuration managers over a ConfStore, and their keys. A key is
// a name into its manager's store: it reads the store at each call, so keys handed out
// earlier see later changes.
#include "ConfStore.h"
#include "ConfValue.h"
#include "ContractMode.h"
#include "common/RefCounted.h"
#include <memory>

namespace {

class ConfKey final : public Common::RefCounted<Host::IConfKeyHost> {
public:
    ConfKey(std::shared_ptr<Kernel::ConfStore> store, std::string path)
        : store_(std::move(store)), path_(std::move(path))
    {}

    // Empty once the key has been deleted.
    XComPtr<Host::IConfValue> getValue() override
    {
        Kernel::contractCall("IConfKey::getValue");
        std::wstring text;
        if (!store_->get(path_, text)) return {};
        return Kernel::makeConfValue(text);
    }

    // The client's interface drops the outcome; a caller that needs it reads the value back.
    void setValue(Host::IConfValue* value) override
    {
        Kernel::contractCall("IConfKey::setValue");
        store(value);
    }

    // The value's text is read unchecked when it is the kernel's: one call, one report.
    bool store(Host::IConfValue* value) override
    {
        if (!value) return false;
        return store_->set(path_, Kernel::confValueText(value));
    }

    XStringA getPath() override { return path_; }

private:
    std::shared_ptr<Kernel::ConfStore> store_;
    const std::string path_;
};

class ConfManager final : public Common::RefCounted<Host::IConfManagerHost> {
public:
    explicit ConfManager(std::shared_ptr<Kernel::ConfStore> store) : store_(std::move(store)) {}

    XComPtr<Host::IConfKey> getKey(const XStringA& path) override
    {
        Kernel::contractCall("IConfManager::getKey");
        if (!store_->contains(path)) return {};
        return XComPtr<Host::IConfKey>::adopt(new ConfKey(store_, path));
    }

    // A new key holds an empty text and is saved at once, so that it exists after a restart.
    XComPtr<Host::IConfKey> createKey(const XStringA& path) override
    {
        Kernel::contractCall("IConfManager::createKey");
        if (path.empty()) return {};
        // A read-only store refuses every key here, and keeps why for whoever asks.
        bool creating = store_->readOnly() || !store_->contains(path);
        if (creating && !store_->set(path, std::wstring())) return {};
        return XComPtr<Host::IConfKey>::adopt(new ConfKey(store_, path));
    }

    bool deleteKey(const XStringA& path) override
    {
        Kernel::contractCall("IConfManager::deleteKey");
        return store_->remove(path);
    }

    XStringW lastWriteFailure() override { return store_->lastFailure(); }

private:
    std::shared_ptr<Kernel::ConfStore> store_;
};

XComPtr<Host::IConfManager> openConf(const wchar_t* filePath, bool readOnly)
{
    if (!filePath || !*filePath) return {};
    auto store = std::make_shared<Kernel::ConfStore>(filePath, readOnly);
    store->load();
    return XComPtr<Host::IConfManager>::adopt(new ConfManager(store));
}

} // namespace

namespace Host {

XComPtr<IConfManager> openUserConf(const wchar_t* filePath) { return openConf(filePath, false); }

XComPtr<IConfManager> openSystemConf(const wchar_t* filePath) { return openConf(filePath, true); }

} // namespace Host
