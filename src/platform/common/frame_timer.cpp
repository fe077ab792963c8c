#include "platform/common/frame_timer.h"

void timer_arm(FrameTimer* timer, uint32_t id, uint32_t period_ms, uint64_t now)
{
    if (period_ms < timer_minimum_ms) period_ms = timer_minimum_ms;
    timer->id = id;
    timer->period = period_ms;
    timer->due = now + period_ms;
    timer->pending = 0;
}

void timer_stop(FrameTimer* timer)
{
    timer->period = 0;
    timer->due = 0;
    timer->pending = 0;
}

void timer_update(FrameTimer* timer, uint64_t now)
{
    if (timer->period == 0 || now < timer->due) return;
    timer->pending = 1;
    uint64_t missed = (now - timer->due) / timer->period;
    timer->due += (missed + 1) * timer->period;
}

int32_t timer_take(FrameTimer* timer, uint64_t now)
{
    timer_update(timer, now);
    if (!timer->pending) return 0;
    timer->pending = 0;
    return 1;
}

int64_t timer_wait_ms(const FrameTimer* timer, uint64_t now)
{
    if (timer->period == 0) return -1;
    if (timer->pending || now >= timer->due) return 0;
    return int64_t(timer->due - now);
}
