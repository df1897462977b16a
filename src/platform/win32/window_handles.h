// Owners of the user-interface and drawing handles that windows use: one type
// per handle and release function.
#pragma once

#include <utility>

#include "platform/win32/window_api.h"

namespace win32 {

// A handle released by `Release` when its owner goes.
template <class Handle, class Release>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : FHandle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : FHandle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != Handle{}; }
    Handle release() noexcept { return std::exchange(FHandle, Handle{}); }
    void reset(Handle handle = Handle{}) noexcept {
        if (FHandle) Release{}(FHandle);
        FHandle = handle;
    }

private:
    Handle FHandle{};
};

struct DestroyWindowRelease {
    void operator()(HWND window) const noexcept { ::DestroyWindow(window); }
};
struct DeleteObjectRelease {
    void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
};
struct DeleteDCRelease {
    void operator()(HDC dc) const noexcept { ::DeleteDC(dc); }
};

struct DestroyIconRelease {
    void operator()(HICON icon) const noexcept { ::DestroyIcon(icon); }
};

using UniqueWindow = UniqueHandle<HWND, DestroyWindowRelease>;
using UniqueIcon = UniqueHandle<HICON, DestroyIconRelease>;
using UniqueFont = UniqueHandle<HFONT, DeleteObjectRelease>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteObjectRelease>;
using UniquePen = UniqueHandle<HPEN, DeleteObjectRelease>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteObjectRelease>;
using UniqueMemoryDC = UniqueHandle<HDC, DeleteDCRelease>;

// A registered window class, unregistered when its owner goes.
class WindowClass {
public:
    explicit WindowClass(const WNDCLASSEXW& description)
        : FInstance(description.hInstance), FAtom(CheckOS(::RegisterClassExW(&description))) {}
    ~WindowClass() { ::UnregisterClassW(Name(), FInstance); }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    const wchar_t* Name() const noexcept { return reinterpret_cast<const wchar_t*>(static_cast<ULONG_PTR>(FAtom)); }
    ATOM Atom() const noexcept { return FAtom; }
    HINSTANCE Instance() const noexcept { return FInstance; }

private:
    HINSTANCE FInstance;
    ATOM FAtom;
};

// The device context of a window's client area (GetDC), released with that window.
class ClientContext {
public:
    explicit ClientContext(HWND window) : FWindow(window), FDC(::GetDC(window)) {}
    ~ClientContext() {
        if (FDC) ::ReleaseDC(FWindow, FDC);
    }
    ClientContext(const ClientContext&) = delete;
    ClientContext& operator=(const ClientContext&) = delete;
    HDC get() const noexcept { return FDC; }

private:
    HWND FWindow;
    HDC FDC;
};

// The painting context of a WM_PAINT (BeginPaint), ended with EndPaint.
class PaintContext {
public:
    explicit PaintContext(HWND window) : FWindow(window) { FDC = ::BeginPaint(window, &FPaint); }
    ~PaintContext() { ::EndPaint(FWindow, &FPaint); }
    PaintContext(const PaintContext&) = delete;
    PaintContext& operator=(const PaintContext&) = delete;
    HDC get() const noexcept { return FDC; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint{};
    HDC FDC;
};

// An object selected into a device context; the previous one comes back when it goes.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : FDC(dc), FPrevious(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (FPrevious && FPrevious != HGDI_ERROR) ::SelectObject(FDC, FPrevious);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FPrevious;
};

}  // namespace win32
