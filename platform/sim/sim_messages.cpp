// Messages, timers and the virtual clock. Nothing here ever blocks: when
// nothing is due the loop jumps the clock to the next timer, asks the idle
// hook, or ends.
#include <algorithm>

#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr unsigned kMinimumTimerPeriod = 10;  // the platform's shortest timer period
constexpr WPARAM kSystemCommandMask = 0xFFF0;

struct MessageFilter {
    HWND window;
    UINT first;
    UINT last;

    bool WantsWindow(HWND target) const { return !window || target == window; }
    bool WantsMessage(UINT message) const {
        return (first == 0 && last == 0) || (message >= first && message <= last);
    }
    bool Wants(const MSG& msg) const {
        return msg.message == WM_QUIT || (WantsWindow(msg.hwnd) && WantsMessage(msg.message));
    }
};

constexpr MessageFilter kAnyMessage = {nullptr, 0, 0};

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return {window, message, wParam, lParam, TheDesktop().now, {0, 0}};
}

bool TakeQueued(MSG* msg, const MessageFilter& filter, bool include_quit) {
    auto& queue = TheDesktop().queue;
    auto found = std::find_if(queue.begin(), queue.end(), [&](const MSG& queued) {
        return filter.Wants(queued) && (include_quit || queued.message != WM_QUIT);
    });
    if (found == queue.end()) return false;
    *msg = *found;
    queue.erase(found);
    return true;
}

// Each invalidation yields one WM_PAINT, so a window that leaves its area
// unpainted cannot keep the loop busy for ever.
bool TakePaint(MSG* msg, const MessageFilter& filter) {
    if (!filter.WantsMessage(WM_PAINT)) return false;
    for (auto& entry : TheDesktop().windows) {
        Window& window = entry.second;
        HWND handle = reinterpret_cast<HWND>(entry.first);
        if (!window.alive || !window.visible || !window.needs_paint) continue;
        if (window.paint_message_given || !filter.WantsWindow(handle)) continue;
        window.paint_message_given = true;
        *msg = MakeMessage(handle, WM_PAINT, 0, 0);
        return true;
    }
    return false;
}

Timer* NextTimer(const MessageFilter& filter, unsigned not_after, bool bounded) {
    if (!filter.WantsMessage(WM_TIMER)) return nullptr;
    Timer* next = nullptr;
    for (Timer& timer : TheDesktop().timers) {
        if (!filter.WantsWindow(timer.window) || (bounded && timer.due > not_after)) continue;
        if (!next || timer.due < next->due) next = &timer;
    }
    return next;
}

// Moves the clock to the timer's due time and arms it for its next period.
MSG FireTimer(Timer* timer) {
    Desktop& desktop = TheDesktop();
    desktop.now = std::max(desktop.now, timer->due);
    timer->due = desktop.now + timer->period;
    return MakeMessage(timer->window, WM_TIMER, timer->id, reinterpret_cast<LPARAM>(timer->proc));
}

bool TakeTimer(MSG* msg, const MessageFilter& filter) {
    Timer* timer = NextTimer(filter, 0, false);
    if (!timer) return false;
    *msg = FireTimer(timer);
    return true;
}

bool AskIdleHook() {
    std::function<bool()> hook = TheDesktop().idle_hook;  // the hook may replace itself
    return hook && hook();
}

void Pump() {
    MSG msg;
    while (TakeQueued(&msg, kAnyMessage, false) || TakePaint(&msg, kAnyMessage)) {
        DispatchMessageA(&msg);
    }
}

Timer* FindTimer(HWND window, UINT_PTR id) {
    for (Timer& timer : TheDesktop().timers) {
        if (timer.window == window && timer.id == id) return &timer;
    }
    return nullptr;
}

void PaintAndValidate(HWND window) {
    PAINTSTRUCT ps;
    if (BeginPaint(window, &ps)) EndPaint(window, &ps);
}

}  // namespace

void RemoveTimersOf(HWND window) {
    auto& timers = TheDesktop().timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [window](const Timer& timer) { return timer.window == window; }),
                 timers.end());
}

}  // namespace sim::internal

using sim::Fault;
using sim::internal::Faulted;
using sim::internal::LiveWindow;
using sim::internal::TheDesktop;

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    sim::internal::Window* record = LiveWindow(window);
    if (!record || !record->proc) return 0;
    return record->proc(window, message, wParam, lParam);
}

LRESULT WINAPI SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT,
                                   UINT, DWORD_PTR* result) {
    if (!LiveWindow(window)) return 0;
    *result = static_cast<DWORD_PTR>(SendMessageA(window, message, wParam, lParam));
    return 1;
}

BOOL WINAPI SendNotifyMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!LiveWindow(window)) return FALSE;
    SendMessageA(window, message, wParam, lParam);
    return TRUE;
}

BOOL WINAPI SendMessageCallbackA(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 SENDASYNCPROC callback, ULONG_PTR data) {
    if (!LiveWindow(window)) return FALSE;
    callback(window, message, data, SendMessageA(window, message, wParam, lParam));
    return TRUE;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++TheDesktop().posted[{sim::internal::HandleKey(window), message}];
    if (window && !LiveWindow(window)) return FALSE;
    TheDesktop().queue.push_back(sim::internal::MakeMessage(window, message, wParam, lParam));
    return TRUE;
}

DWORD WINAPI GetTickCount(void) {
    return TheDesktop().now;
}

void WINAPI PostQuitMessage(int code) {
    TheDesktop().queue.push_back(
        sim::internal::MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(code), 0));
}

// Order as on Windows: posted messages, then paints, then timers.
BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT first, UINT last) {
    const sim::internal::MessageFilter filter = {window, first, last};
    for (;;) {
        if (sim::internal::TakeQueued(msg, filter, true)) return msg->message == WM_QUIT ? 0 : 1;
        if (sim::internal::TakePaint(msg, filter) || sim::internal::TakeTimer(msg, filter))
            return 1;
        if (!sim::internal::AskIdleHook()) break;
    }
    TheDesktop().starved = true;
    *msg = sim::internal::MakeMessage(nullptr, WM_QUIT, 0, 0);
    return 0;
}

BOOL WINAPI GetMessageW(LPMSG msg, HWND window, UINT first, UINT last) {
    return GetMessageA(msg, window, first, last);
}

BOOL WINAPI TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI DispatchMessageW(const MSG* msg) {
    return DispatchMessageA(msg);
}

// The simulated messages carry no text, so both entry points act alike.
LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_PAINT:
            sim::internal::PaintAndValidate(window);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & sim::internal::kSystemCommandMask) == SC_CLOSE) {
                SendMessageA(window, WM_CLOSE, 0, 0);
            }
            return 0;
        default:
            return 0;
    }
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse_ms, TIMERPROC proc) {
    if (Faulted(Fault::SetTimer)) return 0;
    if (window && !LiveWindow(window)) return 0;
    if (!window) id = TheDesktop().next_thread_timer++;
    unsigned period = std::max<unsigned>(elapse_ms, sim::internal::kMinimumTimerPeriod);
    unsigned due = TheDesktop().now + period;
    if (sim::internal::Timer* timer = sim::internal::FindTimer(window, id)) {
        *timer = {window, id, period, due, proc};
    } else {
        TheDesktop().timers.push_back({window, id, period, due, proc});
    }
    return id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    auto& timers = TheDesktop().timers;
    auto found = std::find_if(timers.begin(), timers.end(), [&](const sim::internal::Timer& t) {
        return t.window == window && t.id == id;
    });
    if (found == timers.end()) return FALSE;
    timers.erase(found);
    return TRUE;
}

namespace sim {

void PumpMessages() {
    internal::Pump();
}

void AdvanceClock(unsigned ms) {
    unsigned target = internal::TheDesktop().now + ms;
    internal::Pump();
    while (internal::Timer* timer = internal::NextTimer(internal::kAnyMessage, target, true)) {
        MSG msg = internal::FireTimer(timer);
        DispatchMessageA(&msg);
        internal::Pump();
    }
    unsigned& now = internal::TheDesktop().now;
    now = std::max(now, target);
    internal::Pump();
}

unsigned Now() {
    return internal::TheDesktop().now;
}

void SetIdleHook(std::function<bool()> hook) {
    internal::TheDesktop().idle_hook = std::move(hook);
}

bool LoopStarved() {
    return internal::TheDesktop().starved;
}

size_t QueuedMessages() {
    return internal::TheDesktop().queue.size();
}

bool TimerArmed(HWND window, UINT_PTR id) {
    return internal::FindTimer(window, id) != nullptr;
}

int PostedCount(HWND window, UINT message) {
    const auto& posted = internal::TheDesktop().posted;
    auto found = posted.find({internal::HandleKey(window), message});
    return found == posted.end() ? 0 : found->second;
}

}  // namespace sim
