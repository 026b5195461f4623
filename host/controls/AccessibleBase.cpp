#include "AccessibleBase.h"

namespace Control {

HRESULT AccessibleBase::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != __uuidof(IAccessible)) return E_NOINTERFACE;
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
}

ULONG AccessibleBase::AddRef() { return ULONG(InterlockedIncrement(&refs_)); }

ULONG AccessibleBase::Release()
{
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return ULONG(n);
}

HRESULT AccessibleBase::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT AccessibleBase::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT AccessibleBase::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT AccessibleBase::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

namespace {
HRESULT noText(BSTR* out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}
} // namespace

HRESULT AccessibleBase::get_accValue(VARIANT, BSTR* value) { return noText(value); }
HRESULT AccessibleBase::get_accHelp(VARIANT, BSTR* help) { return noText(help); }
HRESULT AccessibleBase::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) { return noText(shortcut); }
HRESULT AccessibleBase::get_accDefaultAction(VARIANT, BSTR* action) { return noText(action); }

HRESULT AccessibleBase::get_accHelpTopic(BSTR* file, VARIANT, long* topic)
{
    if (topic) *topic = -1;
    return noText(file);
}

HRESULT AccessibleBase::accDoDefaultAction(VARIANT) { return DISP_E_MEMBERNOTFOUND; }
HRESULT AccessibleBase::put_accName(VARIANT, BSTR) { return DISP_E_MEMBERNOTFOUND; }
HRESULT AccessibleBase::put_accValue(VARIANT, BSTR) { return DISP_E_MEMBERNOTFOUND; }

HRESULT AccessibleBase::ChildId(const VARIANT& child, long count, long* id)
{
    if (child.vt != VT_I4 || child.lVal < 0 || child.lVal > count) return E_INVALIDARG;
    *id = child.lVal;
    return S_OK;
}

HRESULT AccessibleBase::ReturnText(const wchar_t* text, size_t length, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (length == 0) return S_FALSE;
    *out = SysAllocStringLen(text, UINT(length));
    return *out ? S_OK : E_OUTOFMEMORY;
}

void AccessibleBase::SetEmpty(VARIANT* v) { VariantInit(v); }

void AccessibleBase::SetChildId(VARIANT* v, long id)
{
    VariantInit(v);
    v->vt = VT_I4;
    v->lVal = id;
}

void AccessibleBase::SetObject(VARIANT* v, IDispatch* object)
{
    VariantInit(v);
    if (!object) return;
    v->vt = VT_DISPATCH;
    v->pdispVal = object;
}

} // namespace Control
