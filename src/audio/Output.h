#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace vok::audio {

// Fills `frames` interleaved stereo float frames (the buffer arrives zeroed). `now` is the device
// clock at this hand-over; `wait` asks the streams to wait for their decoders (null device).
using MixCallback = std::function<void(float* out, int frames, double now, bool wait)>;

// Where mixed sound goes. The position model needs the device's clock and buffer size.
class OutputDevice {
  public:
    virtual ~OutputDevice() = default;
    virtual bool Open(int rate, MixCallback mix) = 0;
    virtual int Rate() const = 0;
    virtual int BufferFrames() const = 0;
    virtual double Now() const = 0;  // seconds
    // Null device only: run the callbacks due in the next `seconds` of virtual time.
    virtual void Advance(double seconds) { (void)seconds; }
    // Null device only: largest absolute sample of the latest callback.
    virtual float LastPeak() const { return 0.0f; }
    // Null device only: appends every later callback's output to `sink` (null stops).
    virtual void Record(std::vector<float>* sink) { (void)sink; }
};

std::unique_ptr<OutputDevice> MakeSdlDevice();
std::unique_ptr<OutputDevice> MakeNullDevice();

}  // namespace vok::audio
