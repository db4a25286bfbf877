// Fonts: the system's message font and the fonts made from it. A font goes
// into any context, paint contexts too, and one that is still selected
// into a context is not deleted. Every font has the metrics of the rest of
// the simulated text.
#include <cstdint>
#include <cstring>

#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr uintptr_t kDefaultFontHandle = 0x100C;  // what every new context holds
constexpr LONG kMessageFontHeight = -11;
constexpr char16_t kMessageFontFace[] = u"Tahoma";
constexpr int kScreenDpi = 96;

HGDIOBJ DefaultFont() {
    return reinterpret_cast<HGDIOBJ>(kDefaultFontHandle);
}

}  // namespace

bool IsFont(HGDIOBJ object) {
    return object == DefaultFont() || TheDesktop().fonts.count(HandleKey(object)) != 0;
}

HGDIOBJ SelectFont(DeviceContext* context, HDC dc, HGDIOBJ font) {
    HGDIOBJ previous = context->font ? static_cast<HGDIOBJ>(context->font) : DefaultFont();
    if (context->font) TheDesktop().fonts[HandleKey(context->font)] = nullptr;
    context->font = font == DefaultFont() ? nullptr : static_cast<HFONT>(font);
    if (context->font) TheDesktop().fonts[HandleKey(font)] = dc;
    return previous;
}

void DeselectFont(DeviceContext* context) {
    SelectFont(context, nullptr, DefaultFont());
}

bool DeleteFont(HGDIOBJ object) {
    auto found = TheDesktop().fonts.find(HandleKey(object));
    if (found == TheDesktop().fonts.end() || found->second) return false;
    TheDesktop().fonts.erase(found);
    return true;
}

}  // namespace sim::internal

BOOL WINAPI SystemParametersInfoW(UINT action, UINT param, void* data, UINT) {
    if (action != SPI_GETNONCLIENTMETRICS || !data || param != sizeof(NONCLIENTMETRICSW)) {
        return FALSE;
    }
    NONCLIENTMETRICSW* metrics = static_cast<NONCLIENTMETRICSW*>(data);
    if (metrics->cbSize != sizeof *metrics) return FALSE;
    *metrics = {};
    metrics->cbSize = sizeof *metrics;
    metrics->lfMessageFont.lfHeight = sim::internal::kMessageFontHeight;
    std::memcpy(metrics->lfMessageFont.lfFaceName, sim::internal::kMessageFontFace,
                sizeof sim::internal::kMessageFontFace);
    return TRUE;
}

int WINAPI GetDeviceCaps(HDC, int index) {
    return index == LOGPIXELSY ? sim::internal::kScreenDpi : 0;
}

// Rounds half away from zero, as the platform does; -1 for a zero divisor.
int WINAPI MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    int64_t half = (denominator < 0 ? -denominator : denominator) / 2;
    int64_t rounded = (product < 0) != (denominator < 0) ? product - half : product + half;
    return static_cast<int>(rounded / denominator);
}

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* font) {
    if (!font) return nullptr;
    HFONT handle = sim::internal::NewHandle<HFONT>();
    sim::internal::TheDesktop().fonts.emplace(sim::internal::HandleKey(handle), nullptr);
    return handle;
}

namespace sim {

int LiveFonts() {
    return static_cast<int>(internal::TheDesktop().fonts.size());
}

}  // namespace sim
