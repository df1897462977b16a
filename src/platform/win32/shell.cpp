#include "platform/win32/shell.h"

#include <algorithm>
#include <cstring>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/message_window.h"
#include "platform/win32/wide_text.h"

namespace win32 {
namespace {

class Win32UtilityWindow final : public vcl::UtilityWindow {
public:
    Win32UtilityWindow(const WindowClass& windowClass, std::function<void(vcl::TMessage&)> windowProc)
        : FProc(std::move(windowProc)) {
        // A hidden pop-up tool window of no size rather than a message-only
        // window: those miss broadcasts such as the task bar's return.
        FHandle.reset(CheckOS(::CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.Name(), L"", WS_POPUP, 0, 0, 0, 0,
                                                nullptr, nullptr, windowClass.Instance(), this)));
    }
    // The handle is let go of first, so that nothing its destruction sends reaches the procedure.
    ~Win32UtilityWindow() override { ::DestroyWindow(FHandle.release()); }
    Win32UtilityWindow(const Win32UtilityWindow&) = delete;
    Win32UtilityWindow& operator=(const Win32UtilityWindow&) = delete;

    vcl::HWND Handle() const override { return FromHwnd(FHandle.get()); }

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        if (window != FHandle.get()) return ::DefWindowProcW(window, message, wParam, lParam);
        vcl::TMessage received{message, wParam, lParam, 0};
        try {
            FProc(received);
        } catch (const std::exception&) {
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        return received.Result;
    }

private:
    std::function<void(vcl::TMessage&)> FProc;
    UniqueWindow FHandle;
};

class Win32Icon final : public vcl::NativeIcon {
public:
    explicit Win32Icon(UniqueIcon icon) noexcept : FIcon(std::move(icon)) {}
    vcl::HICON Handle() const override { return reinterpret_cast<vcl::HICON>(FIcon.get()); }

private:
    UniqueIcon FIcon;
};

// An item list the shell allocated, freed with the task allocator.
class ShellItem final : public vcl::ItemIdList {
public:
    explicit ShellItem(PIDLIST_ABSOLUTE item) : FItem(item) {}
    ~ShellItem() override { ::CoTaskMemFree(FItem); }
    ShellItem(const ShellItem&) = delete;
    ShellItem& operator=(const ShellItem&) = delete;

    std::string Path() const override {
        std::wstring path(MAX_PATH + 1, L'\0');
        if (!::SHGetPathFromIDListW(FItem, path.data())) return {};
        path.resize(std::wcslen(path.c_str()));
        return Narrow(path);
    }

private:
    PIDLIST_ABSOLUTE FItem;
};

int CALLBACK BrowseProc(HWND dialog, UINT message, LPARAM parameter, LPARAM data) {
    const auto& info = *reinterpret_cast<const vcl::BrowseInfo*>(data);
    try {
        return info.callback(FromHwnd(dialog), message, parameter, info.callbackData);
    } catch (const std::exception&) {
        return 0;  // the dialog stays where the system put it
    }
}

}  // namespace

UtilityWindows::UtilityWindows(HINSTANCE instance)
    : FClass(OwnedWindowClass<Win32UtilityWindow>(instance, L"TivaloUtilWindow")) {}

std::unique_ptr<vcl::UtilityWindow> UtilityWindows::Allocate(std::function<void(vcl::TMessage&)> windowProc) const {
    return std::make_unique<Win32UtilityWindow>(FClass, std::move(windowProc));
}

UniqueIcon LoadIconImage(int resource, int width, int height) {
    return UniqueIcon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource),
                                                      IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
}

std::unique_ptr<vcl::NativeIcon> LoadIconResource(int resource, int width, int height) {
    UniqueIcon icon = LoadIconImage(resource, width, height);
    if (!icon) RaiseLastOSError();
    return std::make_unique<Win32Icon>(std::move(icon));
}

// Shared by the system: never destroyed.
vcl::HICON LoadApplicationIcon() {
    return reinterpret_cast<vcl::HICON>(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
}

// The record keeps its first, 88-byte layout on 32-bit Windows; the tooltip
// is ANSI text of at most 63 characters.
bool NotifyIcon(std::uint32_t message, const vcl::NotifyIconData& data) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = ToHwnd(data.hWnd);
    record.uID = data.uID;
    record.uFlags = data.uFlags;
    record.uCallbackMessage = data.uCallbackMessage;
    record.hIcon = reinterpret_cast<HICON>(data.hIcon);
    std::memcpy(record.szTip, data.szTip, sizeof data.szTip);
    record.szTip[sizeof data.szTip - 1] = '\0';
    return ::Shell_NotifyIconA(message, &record) != FALSE;
}

std::unique_ptr<vcl::ItemIdList> BrowseForFolder(const vcl::BrowseInfo& info) {
    std::wstring displayName(MAX_PATH + 1, L'\0');
    const std::wstring title = Widen(info.title);
    BROWSEINFOW dialog{};
    dialog.hwndOwner = ToHwnd(info.owner);
    dialog.pszDisplayName = displayName.data();
    dialog.lpszTitle = title.c_str();
    dialog.ulFlags = info.flags;
    if (info.callback) {
        dialog.lpfn = BrowseProc;
        dialog.lParam = reinterpret_cast<LPARAM>(&info);
    }
    const PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&dialog);
    if (chosen == nullptr) return nullptr;
    return std::make_unique<ShellItem>(chosen);
}

std::intptr_t OpenDocument(vcl::HWND parent, const std::string& verb, const std::string& file,
                           const std::string& parameters, const std::string& directory, int showCommand) {
    const std::wstring wideParameters = Widen(parameters), wideDirectory = Widen(directory);
    const HINSTANCE result = ::ShellExecuteW(ToHwnd(parent), Widen(verb).c_str(), Widen(file).c_str(),
                                             parameters.empty() ? nullptr : wideParameters.c_str(),
                                             directory.empty() ? nullptr : wideDirectory.c_str(), showCommand);
    return reinterpret_cast<std::intptr_t>(result);
}

ComApartment::ComApartment()
    : FInitialized(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}

ComApartment::~ComApartment() {
    if (FInitialized) ::CoUninitialize();
}

}  // namespace win32
