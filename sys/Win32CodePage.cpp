// The system's ANSI code page, converted through UTF-16 by the system.
#include <windows.h>

#include "sys/CodePage.h"

namespace sys {

namespace {

std::wstring Wide(UINT codePage, DWORD flags, std::string_view s) {
    if (s.empty()) return {};
    const int n =
        MultiByteToWideChar(codePage, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, flags, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

class Win32CodePage final : public CodePage {
  public:
    std::optional<std::string> FromUtf8(std::string_view utf8) const override {
        if (utf8.empty()) return std::string();
        const std::wstring w = Wide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
        if (w.empty()) return std::nullopt;  // not UTF-8
        // No best fit: a character without its own byte is refused, not replaced by a look-alike
        // that would name another file.
        BOOL usedDefault = FALSE;
        const int n =
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()),
                                nullptr, 0, nullptr, &usedDefault);
        if (n <= 0 || usedDefault) return std::nullopt;
        std::string out(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()),
                            out.data(), n, nullptr, &usedDefault);
        if (usedDefault) return std::nullopt;
        return out;
    }
    std::string ToUtf8(std::string_view ansi) const override {
        const std::wstring w = Wide(CP_ACP, 0, ansi);
        if (w.empty()) return std::string();
        const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr,
                                          0, nullptr, nullptr);
        std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
        if (n > 0)
            WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n,
                                nullptr, nullptr);
        return out;
    }
    unsigned Number() const override { return GetACP(); }
};

}  // namespace

std::unique_ptr<CodePage> MakeWin32CodePage() {
    return std::make_unique<Win32CodePage>();
}

}  // namespace sys
