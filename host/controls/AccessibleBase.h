// What every accessible object of the control library shares: the reference count, an
// IDispatch without type information (clients call IAccessible directly), and the answers
// for what the library's objects do not offer (help, shortcuts, default actions, setting
// names or values). A derived object answers the rest for itself and its child elements.
#pragma once
#include <oleacc.h>

namespace Control {

class AccessibleBase : public IAccessible {
public:
    // IUnknown: IAccessible, IDispatch and IUnknown; the count starts at 1.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

protected:
    AccessibleBase() = default;
    virtual ~AccessibleBase() = default;
    AccessibleBase(const AccessibleBase&) = delete;
    AccessibleBase& operator=(const AccessibleBase&) = delete;

    // The child id a VARIANT names: CHILDID_SELF or 1..count. E_INVALIDARG for anything else.
    static HRESULT ChildId(const VARIANT& child, long count, long* id);
    // Text for a BSTR out parameter: S_FALSE with null for empty text, E_OUTOFMEMORY when
    // the string cannot be made.
    static HRESULT ReturnText(const wchar_t* text, size_t length, BSTR* out);
    static void SetEmpty(VARIANT* v);
    static void SetChildId(VARIANT* v, long id);
    // Hands over the reference object carries.
    static void SetObject(VARIANT* v, IDispatch* object);

private:
    LONG refs_ = 1;
};

} // namespace Control
