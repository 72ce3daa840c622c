#include "widgets/theme/gif_timing.h"

void GifTiming::set_delays(const std::vector<std::uint32_t>& centiseconds, int frame_count)
{
    m_delays_ms.clear();
    if (frame_count <= 0)
        return;
    std::uint32_t last = 10;
    for (int i = 0; i < frame_count; ++i) {
        std::uint32_t cs = i < static_cast<int>(centiseconds.size()) ? centiseconds[static_cast<size_t>(i)] : last;
        last = cs;
        // 0 and 1 hundredths are the usual "as fast as possible" values.
        unsigned ms = cs <= 1 ? 100u : static_cast<unsigned>(cs > 100000 ? 100000 : cs) * 10u;
        m_delays_ms.push_back(ms);
    }
}

unsigned GifTiming::delay_ms(int frame) const
{
    if (frame < 0 || frame >= frame_count())
        return 0;
    return m_delays_ms[static_cast<size_t>(frame)];
}

int GifTiming::next_frame(int frame) const
{
    int n = frame_count();
    if (n == 0)
        return 0;
    if (frame < 0 || frame + 1 >= n)
        return 0;
    return frame + 1;
}
