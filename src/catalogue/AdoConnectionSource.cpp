// ADO late-bound through IDispatch (MinGW has no #import): Connection.Open,
// Execute of the whole table, then EOF / MoveNext and Fields.Item(name).Value
// per row, as a recordset is read. Every COM object is released by its owner.
#include "catalogue/AdoConnectionSource.h"

#include "platform/base/TextEncoding.h"

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <initializer_list>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace pordane::catalogue {

namespace {

using Microsoft::WRL::ComPtr;

// The codes we name in our own words; any other comes with ADO's text only.
constexpr HRESULT ItemNotFound = static_cast<HRESULT>(0x800A0CC1);     // adErrItemNotFound
constexpr HRESULT ProviderNotFound = static_cast<HRESULT>(0x800A0E7A); // adErrProviderNotFound
constexpr HRESULT NoSuchTable = static_cast<HRESULT>(0x80040E37);      // DB_E_NOTABLE
// LOCALE_INVARIANT, which MinGW's headers lack: "." before the decimals.
constexpr LCID InvariantLocale = MAKELCID(MAKELANGID(LANG_INVARIANT, SUBLANG_NEUTRAL), SORT_DEFAULT);

std::wstring toWide(std::string_view utf8)
{
    const std::u16string units = platform::utf8ToUtf16(utf8);
    return {units.begin(), units.end()};
}

std::string fromWide(const wchar_t* text, std::size_t length)
{
    std::string utf8 = platform::utf16ToUtf8(std::u16string(text, text + length));
    while (!utf8.empty() && (utf8.back() == '\r' || utf8.back() == '\n' || utf8.back() == ' '))
        utf8.pop_back();
    return utf8;
}

// The failure's own text, as COM or ADO gave it, in the system's language,
// and its code, for whoever looks it up.
std::string describe(HRESULT code, std::string text = {})
{
    if (text.empty()) {
        wchar_t* message = nullptr;
        const DWORD length = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
            static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
        if (length > 0)
            text = fromWide(message, length);
        LocalFree(message);
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    return text.empty() ? std::string("error ") + hex : text + " (" + hex + ")";
}

// A failed COM call; the readers turn it into a DatabaseError with context.
class ComFailure : public std::runtime_error {
public:
    ComFailure(HRESULT code, const std::string& text) : std::runtime_error(text), m_code(code) {}
    HRESULT code() const { return m_code; }

private:
    HRESULT m_code;
};

class Variant {
public:
    Variant() { VariantInit(&v); }
    explicit Variant(std::string_view utf8) : Variant()
    {
        const std::wstring text = toWide(utf8);
        v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (v.bstrVal == nullptr)
            throw std::bad_alloc();
        v.vt = VT_BSTR;
    }
    Variant(Variant&& other) noexcept : v(other.v) { VariantInit(&other.v); }
    Variant& operator=(Variant&& other) noexcept
    {
        std::swap(v, other.v);
        return *this;
    }
    ~Variant() { VariantClear(&v); }

    VARIANT v;
};

// What Invoke may leave behind, freed whatever happens.
struct ExceptionInfo : EXCEPINFO {
    ExceptionInfo() : EXCEPINFO{} {}
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;
    ~ExceptionInfo()
    {
        SysFreeString(bstrSource);
        SysFreeString(bstrDescription);
        SysFreeString(bstrHelpFile);
    }
};

// The thread's error object, which ADO fills when a call fails outside Invoke.
std::string errorInfoText()
{
    ComPtr<IErrorInfo> info;
    BSTR text = nullptr;
    if (GetErrorInfo(0, info.GetAddressOf()) != S_OK || !info || FAILED(info->GetDescription(&text)))
        return {};
    std::string out = text ? fromWide(text, SysStringLen(text)) : std::string();
    SysFreeString(text);
    return out;
}

[[noreturn]] void failInvoke(HRESULT hr, ExceptionInfo& info)
{
    if (hr != DISP_E_EXCEPTION)
        throw ComFailure(hr, describe(hr, errorInfoText()));
    if (info.pfnDeferredFillIn)
        info.pfnDeferredFillIn(&info);
    // ADO's errors are its error numbers in the control facility (0x800A....).
    const HRESULT code = info.scode != 0   ? info.scode
                         : info.wCode != 0 ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info.wCode)
                                           : hr;
    const std::string text = info.bstrDescription ? fromWide(info.bstrDescription, SysStringLen(info.bstrDescription))
                                                  : "";
    throw ComFailure(code, describe(code, text));
}

// One late-bound call: a method, or a property read; arguments in their order.
Variant invoke(IDispatch* object, const wchar_t* member, WORD kind, std::initializer_list<VARIANT> args = {})
{
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    const HRESULT found = object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(found))
        throw ComFailure(found, "ADO no reconoce \"" + fromWide(member, wcslen(member)) + "\" ("
                                    + describe(found, errorInfoText()) + ")");
    // IDispatch takes the arguments last to first; they stay owned by the caller.
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    Variant result;
    ExceptionInfo info;
    UINT badArgument = 0;
    SetErrorInfo(0, nullptr);
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, &result.v, &info, &badArgument);
    if (FAILED(hr))
        failInvoke(hr, info);
    return result;
}

ComPtr<IDispatch> objectOf(Variant&& value, const wchar_t* member)
{
    if (value.v.vt != VT_DISPATCH || value.v.pdispVal == nullptr)
        throw ComFailure(E_NOINTERFACE, "ADO no devuelve un objeto en \"" + fromWide(member, wcslen(member)) + "\"");
    return ComPtr<IDispatch>(value.v.pdispVal);
}

// COM on the calling thread for as long as the cursor lives. The window's
// thread is a single-threaded apartment already (S_FALSE, balanced too); a
// thread set to another model keeps it (RPC_E_CHANGED_MODE: not ours to end).
class ComApartment {
public:
    ComApartment() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))
    {
        if (FAILED(m_hr) && m_hr != RPC_E_CHANGED_MODE)
            throw ComFailure(m_hr, "COM no se puede iniciar (" + describe(m_hr) + ")");
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }

private:
    HRESULT m_hr;
};

// An ADO connection or recordset, closed before it is released: the
// provider lets go of the file at Close.
struct OpenObject {
    ComPtr<IDispatch> object;
    bool open = false;
    ~OpenObject()
    {
        if (!open)
            return;
        try {
            invoke(object.Get(), L"Close", DISPATCH_METHOD);
        } catch (...) {
            // Released all the same; the error that ended the read is the one reported.
        }
    }
};

class AdoTableCursor final : public ConnectionCursor {
public:
    AdoTableCursor(const std::string& progId, const std::string& name) : m_name(name)
    {
        openConnection(progId);
        const Variant query(std::string("SELECT * FROM [") + ConnectionsTable + "]");
        try {
            m_recordset.object = objectOf(invoke(m_connection.object.Get(), L"Execute", DISPATCH_METHOD, {query.v}),
                                          L"Execute");
            m_recordset.open = true;
            m_fields = objectOf(invoke(m_recordset.object.Get(), L"Fields", DISPATCH_PROPERTYGET), L"Fields");
        } catch (const ComFailure& e) {
            if (e.code() == NoSuchTable)
                throw DatabaseError("No se encuentra la tabla " + quoted(ConnectionsTable) + " en la base de datos "
                                    + quoted(m_name) + " (" + e.what() + ")");
            throw DatabaseError("No se puede leer la tabla " + quoted(ConnectionsTable) + " de la base de datos "
                                + quoted(m_name) + ": " + e.what());
        }
    }

    bool next() override
    {
        if (m_end)
            return false;
        try {
            if (m_row > 0)
                invoke(m_recordset.object.Get(), L"MoveNext", DISPATCH_METHOD);
            Variant eof = invoke(m_recordset.object.Get(), L"EOF", DISPATCH_PROPERTYGET);
            if (FAILED(VariantChangeType(&eof.v, &eof.v, 0, VT_BOOL)))
                throw ComFailure(DISP_E_TYPEMISMATCH, "ADO no indica el final de la tabla");
            m_end = eof.v.boolVal != VARIANT_FALSE;
        } catch (const ComFailure& e) {
            throw DatabaseError("No se puede leer la tabla " + quoted(ConnectionsTable) + " de la base de datos "
                                + quoted(m_name) + (m_row ? " después de la fila " + std::to_string(m_row) : "") + ": "
                                + e.what());
        }
        if (m_end)
            return false;
        ++m_row;
        return true;
    }

    std::string text(const char* field) override { return valueText(field); }

    std::int32_t integer(const char* field) override { return wholeNumber(field, valueText(field), m_row); }

private:
    void openConnection(const std::string& progId)
    {
        CLSID id{};
        const HRESULT known = CLSIDFromProgID(toWide(progId).c_str(), &id);
        if (FAILED(known))
            throw openError("ADO no está instalado en este equipo (no se encuentra \"" + progId
                            + "\": " + describe(known) + ")");
        const HRESULT made = CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                              reinterpret_cast<void**>(m_connection.object.GetAddressOf()));
        if (FAILED(made))
            throw openError("no se puede crear el objeto \"" + progId + "\" de ADO (" + describe(made) + ")");
        const Variant text(connectionStringForFile(m_name));
        try {
            invoke(m_connection.object.Get(), L"Open", DISPATCH_METHOD, {text.v});
        } catch (const ComFailure& e) {
            if (e.code() == ProviderNotFound)
                throw openError(std::string("el proveedor \"") + OleDbProvider
                                + "\" (el motor de base de datos de Access) no está instalado en este equipo ("
                                + e.what() + ")");
            throw openError(e.what());
        }
        m_connection.open = true;
    }

    DatabaseError openError(const std::string& cause) const
    {
        return DatabaseError("No se puede abrir la base de datos " + quoted(m_name) + " con ADO y el proveedor "
                             + OleDbProvider + ": " + cause);
    }

    // The value as text: NULL and empty as "", numbers as the invariant
    // locale writes them, so that a code reads as the Linux reader reads it.
    std::string valueText(const char* field)
    {
        const Variant name(field);
        Variant value;
        try {
            const ComPtr<IDispatch> item = objectOf(
                invoke(m_fields.Get(), L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {name.v}), L"Item");
            value = invoke(item.Get(), L"Value", DISPATCH_PROPERTYGET);
        } catch (const ComFailure& e) {
            if (e.code() == ItemNotFound)
                throw missingFieldError(field);
            throw DatabaseError("No se puede leer el campo " + quoted(field) + " de la fila " + std::to_string(m_row)
                                + " de la tabla " + quoted(ConnectionsTable) + ": " + e.what());
        }
        if (value.v.vt == VT_EMPTY || value.v.vt == VT_NULL)
            return {};
        if (value.v.vt != VT_BSTR && FAILED(VariantChangeTypeEx(&value.v, &value.v, InvariantLocale, 0, VT_BSTR)))
            throw DatabaseError("El campo " + quoted(field) + " de la fila " + std::to_string(m_row) + " de la tabla "
                                + quoted(ConnectionsTable) + " no se puede leer como texto");
        return value.v.bstrVal ? fromWide(value.v.bstrVal, SysStringLen(value.v.bstrVal)) : std::string();
    }

    // Destroyed last to first: fields, recordset (closed), connection
    // (closed), then COM itself.
    ComApartment m_com;
    const std::string m_name;
    OpenObject m_connection;
    OpenObject m_recordset;
    ComPtr<IDispatch> m_fields;
    std::size_t m_row = 0;
    bool m_end = false;
};

} // namespace

std::shared_ptr<ConnectionSource> makeConnectionSource()
{
    return std::make_shared<AdoConnectionSource>();
}

AdoConnectionSource::AdoConnectionSource(std::string progId) : m_progId(std::move(progId)) {}

std::unique_ptr<ConnectionCursor> AdoConnectionSource::openConnections(const std::filesystem::path& database)
{
    const std::u8string units = database.u8string();
    const std::string name(units.begin(), units.end());
    std::error_code ec;
    if (!std::filesystem::exists(database, ec))
        throw DatabaseError("No se encuentra la base de datos " + quoted(name));
    try {
        return std::make_unique<AdoTableCursor>(m_progId, name);
    } catch (const ComFailure& e) {
        throw DatabaseError("No se puede abrir la base de datos " + quoted(name) + ": " + e.what());
    }
}

} // namespace pordane::catalogue
