#include "Picture.h"

#include "Files.h"

#include <windows.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

namespace guitest {

namespace {

struct ScreenRelease {
    void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDelete {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct BitmapDelete {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};

// Between two looks at a window being pictured.
constexpr Millis LookInterval{200};

} // namespace

// A WM_NULL sent is answered only after what was posted before it; the redraw is painted by the
// time a second one is answered. A program still starting may take its time to answer.
void settleWindow(const Window& window, Millis limit) {
    const auto answers = [&] {
        if (!window.trySend(WM_NULL, 0, 0, static_cast<DWORD>(limit.count()))) {
            throw WaitTimeout("an answer from " + window.caption(), limit);
        }
    };
    answers();
    // RDW_UPDATENOW has the window's thread paint before the call returns: a sent WM_NULL alone
    // is answered before the paint that the redraw asks for.
    RedrawWindow(window.handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    answers();
}

// From the screen rather than the window's own DC, so the frame and caption are in the picture.
std::vector<char> windowBitmap(const Window& window) {
    const RECT rect = window.screenRect();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return {};
    }
    const std::unique_ptr<HDC__, ScreenRelease> screen(GetDC(nullptr));
    const std::unique_ptr<HDC__, DcDelete> memory(screen ? CreateCompatibleDC(screen.get())
                                                         : nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const std::unique_ptr<HBITMAP__, BitmapDelete> bitmap(
        memory ? CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0)
               : nullptr);
    if (!bitmap) {
        return {};
    }
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    const bool copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top,
                               SRCCOPY) != FALSE;
    SelectObject(memory.get(), old);
    GdiFlush();
    if (!copied) {
        return {};
    }
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    std::vector<char> file(header.bfSize);
    std::memcpy(file.data(), &header, sizeof header);
    std::memcpy(file.data() + sizeof header, &info.bmiHeader, sizeof info.bmiHeader);
    std::memcpy(file.data() + header.bfOffBits, bits, imageBytes);
    return file;
}

// Two looks that agree end the wait, the second a while after the first, so that a child still
// painting has had its turn; a look that cannot be read is never taken for the picture.
void savePicture(const Window& window, const std::string& path, Millis limit) {
    settleWindow(window, limit);
    std::vector<char> picture = windowBitmap(window);
    auto lastLook = std::chrono::steady_clock::now();
    waitFor(
        "a steady picture of " + window.caption(),
        [&] {
            if (std::chrono::steady_clock::now() - lastLook < LookInterval) {
                return false;
            }
            std::vector<char> look = windowBitmap(window);
            lastLook = std::chrono::steady_clock::now();
            const bool steady = !look.empty() && look == picture;
            picture = std::move(look);
            return steady;
        },
        limit);
    if (!writeFile(path, std::string(picture.begin(), picture.end()))) {
        throw std::runtime_error("cannot write the picture " + path);
    }
}

} // namespace guitest
