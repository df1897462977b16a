// Utility windows, icons and the shell: the notification area, the folder
// dialog and opening documents.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/win32/window_handles.h"

namespace win32 {

// The class of hidden windows that only receive messages, each handing
// every message to its procedure.
class UtilityWindows {
public:
    explicit UtilityWindows(HINSTANCE instance);
    std::unique_ptr<vcl::UtilityWindow> Allocate(std::function<void(vcl::TMessage&)> windowProc) const;

private:
    WindowClass FClass;
};

// An icon resource's image nearest the size; empty when there is none.
UniqueIcon LoadIconImage(int resource, int width, int height);
std::unique_ptr<vcl::NativeIcon> LoadIconResource(int resource, int width, int height);
vcl::HICON LoadApplicationIcon();

bool NotifyIcon(std::uint32_t message, const vcl::NotifyIconData& data);
std::unique_ptr<vcl::ItemIdList> BrowseForFolder(const vcl::BrowseInfo& info);
std::intptr_t OpenDocument(vcl::HWND parent, const std::string& verb, const std::string& file,
                           const std::string& parameters, const std::string& directory, int showCommand);

// COM on this thread, as the shell's dialogs need it, while the object lives.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool FInitialized;
};

}  // namespace win32
