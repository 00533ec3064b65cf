#include "dialog_template.h"

namespace e2e {
namespace {

class Reader {
public:
    Reader(const BYTE* data, DWORD size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }

    template <typename T>
    T Get() {
        T value{};
        if (m_at + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        memcpy(&value, m_data + m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }
    std::wstring String() {
        std::wstring text;
        for (WCHAR c = Get<WCHAR>(); m_ok && c != 0; c = Get<WCHAR>()) text.push_back(c);
        return text;
    }
    // A string, or 0xFFFF and an ordinal (a predefined class atom here).
    std::wstring StringOrOrdinal() {
        if (m_at + 2 <= m_size && m_data[m_at] == 0xFF && m_data[m_at + 1] == 0xFF) {
            Get<WORD>();
            switch (Get<WORD>()) {
                case 0x80: return L"Button";
                case 0x81: return L"Edit";
                case 0x82: return L"Static";
                case 0x83: return L"ListBox";
                case 0x84: return L"ScrollBar";
                case 0x85: return L"ComboBox";
                default: return L"#ordinal";
            }
        }
        return String();
    }
    void Skip(DWORD n) { m_at += n; }
    void AlignDword() { m_at = (m_at + 3) & ~3u; }

private:
    const BYTE* m_data;
    DWORD m_size;
    DWORD m_at = 0;
    bool m_ok = true;
};

}  // namespace

std::optional<DialogTemplate> LoadDialogTemplate(const std::wstring& module, int id) {
    HMODULE image = ::LoadLibraryExW(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (image == nullptr) return std::nullopt;
    std::optional<DialogTemplate> result;
    HRSRC found = ::FindResourceW(image, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = found != nullptr ? ::LoadResource(image, found) : nullptr;
    if (loaded != nullptr) {
        Reader in(static_cast<const BYTE*>(::LockResource(loaded)), ::SizeofResource(image, found));
        DialogTemplate dialog{};
        const WORD version = in.Get<WORD>();
        const WORD signature = in.Get<WORD>();
        in.Get<DWORD>();  // help id
        dialog.exStyle = in.Get<DWORD>();
        dialog.style = in.Get<DWORD>();
        const WORD count = in.Get<WORD>();
        dialog.x = in.Get<short>();
        dialog.y = in.Get<short>();
        dialog.cx = in.Get<short>();
        dialog.cy = in.Get<short>();
        in.StringOrOrdinal();  // menu
        in.StringOrOrdinal();  // class
        dialog.caption = in.String();
        if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
            dialog.pointSize = in.Get<WORD>();
            dialog.weight = in.Get<WORD>();
            dialog.italic = in.Get<BYTE>();
            in.Get<BYTE>();  // character set
            dialog.font = in.String();
        }
        for (WORD i = 0; i < count && in.ok(); ++i) {
            in.AlignDword();
            TemplateItem item{};
            in.Get<DWORD>();  // help id
            item.exStyle = in.Get<DWORD>();
            item.style = in.Get<DWORD>();
            item.x = in.Get<short>();
            item.y = in.Get<short>();
            item.cx = in.Get<short>();
            item.cy = in.Get<short>();
            item.id = in.Get<DWORD>();
            item.cls = in.StringOrOrdinal();
            item.text = in.StringOrOrdinal();
            in.Skip(in.Get<WORD>());  // creation data
            dialog.items.push_back(item);
        }
        if (version == 1 && signature == 0xFFFF && in.ok()) result = dialog;
    }
    ::FreeLibrary(image);
    return result;
}

}  // namespace e2e
