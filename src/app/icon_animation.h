#pragma once
// The tray icon's flashing after a trigger: eleven alternating frames, alternate frame
// first, then a twelfth tick that puts the resting icon back and stops.

namespace kvl {

class IconAnimation {
public:
    enum class Frame { Alternate, Resting };
    struct Tick {
        Frame frame;
        bool keepRunning;
    };

    Tick Next() {
        if (counter_ >= 0 && counter_ <= 10) {
            const Frame frame = counter_ % 2 == 0 ? Frame::Alternate : Frame::Resting;
            ++counter_;
            return {frame, true};
        }
        counter_ = 0;
        return {Frame::Resting, false};
    }
    int Counter() const { return counter_; }

private:
    int counter_ = 0;  // kept between ticks: a trigger while flashing does not restart it
};

}  // namespace kvl
